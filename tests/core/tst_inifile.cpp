#include "Code/core/Errors.h"
#include "Code/core/IniFiles32.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

class TestIniFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const char *name) const { return m_dir.filePath(QLatin1String(name)); }

    static void writeFile(const QString &fileName, const QByteArray &content)
    {
        QFile file(fileName);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    static QByteArray readFile(const QString &fileName)
    {
        QFile file(fileName);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

private Q_SLOTS:
    void newFileIsExactlyThreeLines()
    {
        const QString file = path("new.ini");
        TIniFile32 ini(file);
        ini.WriteString("USRInfo", "SHWDDir", "1");
        QCOMPARE(readFile(file), QByteArray("\r\n[USRInfo]\r\nSHWDDir=1\r\n"));
    }

    void lineEndings()
    {
        const QString file = path("endings.ini");
        writeFile(file, "[A]\rk1=1\nk2=2\r\n\r\nk3=3");
        TIniFile32 ini(file);
        QCOMPARE(ini.Lines().size(), 5);
        QCOMPARE(ini.ReadString("A", "k1", "-"), QStringLiteral("1"));
        QCOMPARE(ini.ReadString("A", "k3", "-"), QStringLiteral("3"));
        ini.WriteString("A", "k2", "two");
        QCOMPARE(readFile(file), QByteArray("[A]\r\nk1=1\r\nk2=two\r\n\r\nk3=3\r\n"));
    }

    void reads_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("blanks around") << QByteArray("[S]\r\n  key  =  value  \r\n") << "S"
                                       << "key"
                                       << "value";
        QTest::newRow("section case ignored") << QByteArray("[usrinfo]\r\nA=1\r\n") << "UsrInfo"
                                              << "A"
                                              << "1";
        QTest::newRow("key case counts") << QByteArray("[S]\r\nkey=1\r\n") << "S"
                                         << "Key"
                                         << "dflt";
        QTest::newRow("empty value is default") << QByteArray("[S]\r\nkey=\r\n") << "S"
                                                << "key"
                                                << "dflt";
        QTest::newRow("equals in value") << QByteArray("[S]\r\nkey=a=b\r\n") << "S"
                                         << "key"
                                         << "a=b";
        QTest::newRow("first key wins") << QByteArray("[S]\r\nkey=1\r\nkey=2\r\n") << "S"
                                        << "key"
                                        << "1";
        QTest::newRow("empty first key stops") << QByteArray("[S]\r\nkey=\r\nkey=2\r\n") << "S"
                                               << "key"
                                               << "dflt";
        QTest::newRow("body ends at header") << QByteArray("[S]\r\n[T]\r\nkey=1\r\n") << "S"
                                             << "key"
                                             << "dflt";
        QTest::newRow("blank header ends body") << QByteArray("[S]\r\n [T]\r\nkey=1\r\n") << "S"
                                                << "key"
                                                << "dflt";
        QTest::newRow("blank header not found") << QByteArray(" [T]\r\nkey=1\r\n") << "T"
                                                << "key"
                                                << "dflt";
        QTest::newRow("inner blank not found") << QByteArray("[ T ]\r\nkey=1\r\n") << "T"
                                               << "key"
                                               << "dflt";
        QTest::newRow("blank line passed over") << QByteArray("[S]\r\n   \r\nkey=1\r\n") << "S"
                                                << "key"
                                                << "1";
        QTest::newRow("comment-like line is a key") << QByteArray("[S]\r\n;key=1\r\n") << "S"
                                                    << ";key"
                                                    << "1";
        QTest::newRow("first header wins") << QByteArray("[S]\r\n[S]\r\nkey=1\r\n") << "S"
                                           << "key"
                                           << "dflt";
        QTest::newRow("missing section") << QByteArray("[S]\r\nkey=1\r\n") << "X"
                                         << "key"
                                         << "dflt";
        QTest::newRow("utf-8 passes through") << QByteArray("[S]\r\ndir=/home/zoë/Видео\r\n") << "S"
                                              << "dir" << QStringLiteral("/home/zoë/Видео");
    }
    void reads()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const QString file = path("reads.ini");
        writeFile(file, content);
        QCOMPARE(TIniFile32(file).ReadString(section, key, "dflt"), expected);
    }

    void readInteger_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("decimal") << QByteArray("42") << 42;
        QTest::newRow("negative") << QByteArray("-7") << -7;
        QTest::newRow("0x") << QByteArray("0x1F") << 31;
        QTest::newRow("dollar") << QByteArray("$10") << 16;
        QTest::newRow("x") << QByteArray("x10") << 16;
        QTest::newRow("0x alone") << QByteArray("0x") << 99;
        QTest::newRow("trailing letters") << QByteArray("12abc") << 99;
        QTest::newRow("too big") << QByteArray("4294967296") << 99;
        QTest::newRow("empty") << QByteArray("") << 99;
    }
    void readInteger()
    {
        QFETCH(QByteArray, value);
        QFETCH(int, expected);
        const QString file = path("int.ini");
        writeFile(file, "[S]\r\nn=" + value + "\r\n");
        QCOMPARE(TIniFile32(file).ReadInteger("S", "n", 99), expected);
    }

    void writes_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("replace drops blanks") << QByteArray("[S]\r\n  k =  old \r\n") << "S"
                                              << "k" << QByteArray("[S]\r\nk=v\r\n");
        QTest::newRow("insert before next header after blank line")
            << QByteArray("[S]\r\na=1\r\n\r\n[T]\r\nb=2\r\n") << "S"
            << "k" << QByteArray("[S]\r\na=1\r\n\r\nk=v\r\n[T]\r\nb=2\r\n");
        QTest::newRow("insert at end") << QByteArray("[S]\r\na=1\r\n") << "S"
                                       << "k" << QByteArray("[S]\r\na=1\r\nk=v\r\n");
        QTest::newRow("new section after blank line") << QByteArray("[S]\r\na=1\r\n") << "T"
                                                      << "k" << QByteArray("[S]\r\na=1\r\n\r\n[T]\r\nk=v\r\n");
        QTest::newRow("empty key adds header only") << QByteArray("") << "T"
                                                    << "" << QByteArray("\r\n[T]\r\n");
        QTest::newRow("empty key in present section rewrites as is") << QByteArray("[S]\n  \na=1") << "S"
                                                                     << "" << QByteArray("[S]\r\n  \r\na=1\r\n");
    }
    void writes()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QByteArray, after);
        const QString file = path("writes.ini");
        writeFile(file, before);
        TIniFile32 ini(file);
        ini.WriteString(section, key, "v");
        QCOMPARE(readFile(file), after);
    }

    void writeInteger()
    {
        const QString file = path("wint.ini");
        QFile::remove(file);
        TIniFile32 ini(file);
        ini.WriteInteger("S", "n", -1);
        QCOMPARE(readFile(file), QByteArray("\r\n[S]\r\nn=-1\r\n"));
        QCOMPARE(ini.ReadInteger("S", "n", 0), -1);
    }

    void eraseSection_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("middle") << QByteArray("\r\n[A]\r\na=1\r\n\r\n[B]\r\nb=1\r\n\r\n[C]\r\nc=1\r\n") << "B"
                                << QByteArray("\r\n[A]\r\na=1\r\n\r\n\r\n[C]\r\nc=1\r\n");
        QTest::newRow("first line") << QByteArray("[A]\r\na=1\r\n\r\n[B]\r\nb=1\r\n") << "A"
                                    << QByteArray("[B]\r\nb=1\r\n");
        QTest::newRow("after blank") << QByteArray("\r\n[A]\r\na=1\r\n\r\n[B]\r\nb=1\r\n") << "a"
                                     << QByteArray("\r\n\r\n[B]\r\nb=1\r\n");
        QTest::newRow("last") << QByteArray("\r\n[A]\r\na=1\r\n") << "A" << QByteArray("\r\n\r\n");
        QTest::newRow("body ends at an indented header")
            << QByteArray("[A]\r\na=1\r\n[B]\r\nb=1\r\n\r\n  [C]  \r\nc=1\r\n") << "B"
            << QByteArray("[A]\r\na=1\r\n\r\n  [C]  \r\nc=1\r\n");
        QTest::newRow("only the first of two")
            << QByteArray("[A]\r\na=1\r\n[A]\r\na=2\r\n") << "A" << QByteArray("[A]\r\na=2\r\n");
        QByteArray body;
        for (int i = 0; i < 20000; ++i)
            body += "k" + QByteArray::number(i) + "=value\r\n";
        QTest::newRow("large middle") << "[A]\r\na=1\r\n[Big]\r\n" + body + "[C]\r\nc=1\r\n"
                                      << "big" << QByteArray("[A]\r\na=1\r\n\r\n[C]\r\nc=1\r\n");
        QTest::newRow("large last") << "[A]\r\na=1\r\n[Big]\r\n" + body << "Big" << QByteArray("[A]\r\na=1\r\n\r\n");
    }
    void eraseSection()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QByteArray, after);
        const QString file = path("erase.ini");
        writeFile(file, before);
        TIniFile32 ini(file);
        ini.EraseSection(section);
        QCOMPARE(readFile(file), after);
    }

    void eraseMissingSectionLeavesFileUntouched()
    {
        const QString file = path("untouched.ini");
        writeFile(file, "[A]\na=1"); // no final break: a rewrite would add one
        TIniFile32 ini(file);
        ini.EraseSection("B");
        QCOMPARE(readFile(file), QByteArray("[A]\na=1"));
    }

    void readSections()
    {
        const QString file = path("sections.ini");
        writeFile(file, "[A]\r\n  [ B ]  \r\nx=1\r\n[A]\r\n");
        TIniFile32 ini(file);
        QStringList sections{"stale"};
        ini.ReadSections(&sections);
        QCOMPARE(sections, (QStringList{"A", "B", "A"}));
        QVERIFY_THROWS_EXCEPTION(EAssertionFailed, ini.ReadSections(nullptr));
    }

    void failedWriteKeepsFileAndMemory()
    {
        const QString missingFolder = path("no-such-folder/x.ini");
        TIniFile32 ini(missingFolder);
        QVERIFY_THROWS_EXCEPTION(EFCreateError, ini.WriteString("S", "k", "v"));
        QCOMPARE(ini.ReadString("S", "k", ""), QStringLiteral("v"));
        QVERIFY(!QFile::exists(missingFolder));
    }

    void failedWriteLeavesReadOnlyFile()
    {
        if (::geteuid() == 0)
            QSKIP("root writes through file permissions");
        const QString readOnly = path("readonly.ini");
        writeFile(readOnly, "[S]\r\nk=old\r\n");
        QFile::setPermissions(readOnly, QFile::ReadOwner);
        TIniFile32 protectedIni(readOnly);
        QVERIFY_THROWS_EXCEPTION(EFCreateError, protectedIni.WriteString("S", "k", "new"));
        QCOMPARE(readFile(readOnly), QByteArray("[S]\r\nk=old\r\n"));
    }

    void unreadableFileRaisesOnCreation()
    {
        // A folder exists under the name but cannot be read as a file.
        const QString folder = path("folder.ini");
        QDir().mkpath(folder);
        QVERIFY_THROWS_EXCEPTION(EFOpenError, TIniFile32{folder});
    }

    void instancesDoNotShare()
    {
        const QString file = path("two.ini");
        QFile::remove(file);
        TIniFile32 first(file);
        TIniFile32 second(file);
        first.WriteString("S", "a", "1");
        second.WriteString("S", "b", "2");
        QCOMPARE(readFile(file), QByteArray("\r\n[S]\r\nb=2\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
