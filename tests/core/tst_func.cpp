#include "Code/core/Func.h"
#include "Code/core/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class TestFunc : public QObject {
    Q_OBJECT

    static void touch(const QString &path)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

private Q_SLOTS:
    void logLines()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Config"))); // the portable layout
        OverrideProgramFolder(dir.path());
        TAppFunc app;
        QVERIFY(app.WriteLog(QStringLiteral("first")));
        QVERIFY(app.WriteLog(QStringLiteral("zweite Zeile ü")));
        QFile log(dir.filePath(QStringLiteral("log.txt")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray content = log.readAll();
        QVERIFY(content.endsWith("\r\n"));
        const QList<QByteArray> lines = content.left(content.size() - 2).split('\n');
        QCOMPARE(lines.size(), 2);
        // "Quenzar " date, blank, time, "|", message.
        const QRegularExpression layout(
            QStringLiteral("^Quenzar (\\S.*) \\d{1,2}:\\d{2}:\\d{2}[^|]*\\|([^\\r]*)\\r?$"));
        const auto first = layout.match(QString::fromUtf8(lines[0]));
        const auto second = layout.match(QString::fromUtf8(lines[1]));
        QVERIFY2(first.hasMatch(), lines[0].constData());
        QCOMPARE(first.captured(2), QStringLiteral("first"));
        QCOMPARE(second.captured(2), QStringLiteral("zweite Zeile ü"));
        OverrideProgramFolder(QString());
    }

    void unwritableLogIsDroppedQuietly()
    {
        const QByteArray userState = qgetenv("XDG_STATE_HOME");
        OverrideProgramFolder(QStringLiteral("/proc/no-such-folder"));
        qputenv("XDG_STATE_HOME", "/proc/no-such-folder");
        QVERIFY(!TAppFunc().WriteLog(QStringLiteral("lost")));
        qputenv("XDG_STATE_HOME", userState);
        OverrideProgramFolder(QString());
    }

    void textAfterLast_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tail");
        QTest::newRow("extension") << "a.b.mp4"
                                   << "mp4";
        QTest::newRow("none") << "abc"
                              << "abc";
        QTest::newRow("trailing") << "abc."
                                  << "";
    }
    void textAfterLast()
    {
        QFETCH(QString, text);
        QFETCH(QString, tail);
        QCOMPARE(TStrFunc::TextAfterLast(text, '.'), tail);
    }

    void fileNameParts_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("base");
        QTest::newRow("plain") << "/out/clip.avi"
                               << "/out/"
                               << "clip";
        QTest::newRow("two dots") << "/out/a.b.mp4"
                                  << "/out/"
                                  << "a.b";
        QTest::newRow("three parts") << "a.b.c"
                                     << ""
                                     << "a.b";
        QTest::newRow("no dot") << "/out/clip"
                                << "/out/"
                                << "";
        QTest::newRow("dot in folder") << "/my.dir/clip"
                                       << "/my.dir/"
                                       << "";
        QTest::newRow("colon is a name character") << "/out/a:b.mp4"
                                                   << "/out/"
                                                   << "a:b";
    }
    void fileNameParts()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QFETCH(QString, base);
        QCOMPARE(TFileFunc::GetFileFolder(path), folder);
        QCOMPARE(TFileFunc::GetFileBaseName(path), base);
    }

    void listFolderFiles()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + '/';
        touch(folder + "a.mp4");
        touch(folder + "b.MP4");
        touch(folder + ".hidden.mp4");
        QDir().mkdir(folder + "plain.mp4");
        QDir().mkdir(folder + ".hidden-folder.mp4");
        QStringList all = TFileFunc::ListFolderFiles(folder, QString());
        all.sort();
        QCOMPARE(all, (QStringList{folder + ".hidden-folder.mp4", folder + ".hidden.mp4", folder + "a.mp4",
                                   folder + "b.MP4"}));
        QStringList mp4 = TFileFunc::ListFolderFiles(folder, ".mp4");
        mp4.sort();
        QCOMPARE(mp4, (QStringList{folder + ".hidden-folder.mp4", folder + ".hidden.mp4", folder + "a.mp4"}));
    }

    void makeUniqueFileName_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QString>("wanted");
        QTest::addColumn<QString>("result");
        QTest::newRow("free") << QStringList{} << QStringList{} << "clip.mp4"
                              << "clip.mp4";
        QTest::newRow("other extension taken") << QStringList{"clip.avi"} << QStringList{} << "clip.mp4"
                                               << "clip_1.mp4";
        QTest::newRow("extension case ignored") << QStringList{"clip.MP4"} << QStringList{} << "clip.mp4"
                                                << "clip_1.mp4";
        QTest::newRow("name case counts") << QStringList{"CLIP.avi"} << QStringList{} << "clip.mp4"
                                          << "clip.mp4";
        QTest::newRow("second") << QStringList{"clip.avi", "clip_1.txt"} << QStringList{} << "clip.mp4"
                                << "clip_2.mp4";
        QTest::newRow("numbered base") << QStringList{"clip_3.avi"} << QStringList{} << "clip_3.mp4"
                                       << "clip_3_1.mp4";
        QTest::newRow("plain folder not taken") << QStringList{} << QStringList{"clip.x"} << "clip.mp4"
                                                << "clip.mp4";
        QTest::newRow("hidden folder taken") << QStringList{} << QStringList{".clip.x"} << ".clip.mp4"
                                             << ".clip_1.mp4";
        QTest::newRow("blanks and letters") << QStringList{"My Film ö.mov"} << QStringList{} << "My Film ö.mp4"
                                            << "My Film ö_1.mp4";
    }
    void makeUniqueFileName()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, folders);
        QFETCH(QString, wanted);
        QFETCH(QString, result);
        QTemporaryDir dir;
        const QString folder = dir.path() + '/';
        for (const QString &name : files)
            touch(folder + name);
        for (const QString &name : folders)
            QVERIFY(QDir().mkdir(folder + name));
        QCOMPARE(TFileFunc::MakeUniqueFileName(folder + wanted), folder + result);
    }

    void splitText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("pieces");
        QTest::newRow("version") << "1.4.0.0" << QStringList{"1", "4", "0", "0"};
        QTest::newRow("empties dropped") << "1..4." << QStringList{"1", "4"};
        QTest::newRow("two") << "1.4" << QStringList{"1", "4"};
        QTest::newRow("empty") << "" << QStringList{};
    }
    void splitText()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, pieces);
        QStringList list{"stale"};
        SplitText(text, '.', list);
        QCOMPARE(list, pieces);
    }
};

QTEST_GUILESS_MAIN(TestFunc)
#include "tst_func.moc"
