// Any file name works: blanks, quotes, non-ASCII letters, leading dashes,
// colons and percent signs, through vidcoda and through rmcoda's script.

#include "EncoderHarness.h"

#include <QTemporaryDir>

using namespace encodertest;

class TestEncoderNames : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_work;
    QString m_clip;
    QString m_realClip;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_work.isValid());
        fixtures::ClipSpec clipSpec;
        clipSpec.seconds = 2.0;
        m_clip = fixtures::makeClip(m_work.path(), "clip.avi", clipSpec);
        m_realClip = fixtures::makeClip(m_work.path(), "clip.rm", clipSpec);
        QVERIFY(!m_clip.isEmpty() && !m_realClip.isEmpty());
    }

    void names_data()
    {
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<QString>("extension");
        QTest::newRow("blanks") << "my holiday clip"
                                << ".mp4";
        QTest::newRow("quotes") << "it's \"quoted\""
                                << ".m4a";
        QTest::newRow("non-ASCII") << "Grüße 日本 ñ"
                                   << ".mp3";
        QTest::newRow("leading dash") << "-y -i clip"
                                      << ".mov";
        QTest::newRow("colon and percent") << "file:a %d%%"
                                           << ".aac";
        QTest::newRow("looks like an option") << "-vn"
                                              << ".mp4";
    }

    // Full paths as the command builder passes them.
    void names()
    {
        QFETCH(QString, baseName);
        QFETCH(QString, extension);
        QTemporaryDir folder(QDir(m_work.path()).filePath("out " + baseName + " XXXXXX"));
        QVERIFY(folder.isValid());
        const QString source = folder.filePath(baseName + ".avi");
        QVERIFY(QFile::copy(m_clip, source));
        const QString output = folder.filePath(baseName + extension);
        const Finished run = runEncoder(vidcoda(), builderArguments(outputType(extension), source, output));
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        QVERIFY(!fixtures::probe(output).audioCodec.isEmpty());
        QCOMPARE(filesIn(folder.path()).size(), 2);
    }

    // Relative names beginning with "-" are still names, not options.
    void relativeNamesWithDashes()
    {
        QTemporaryDir folder;
        QVERIFY(QFile::copy(m_clip, folder.filePath("-i.avi")));
        const Finished run = runEncoder(vidcoda(), builderArguments(outputType(".m4a"), "-i.avi", "-y.m4a"),
                                        QProcessEnvironment::systemEnvironment(), folder.path());
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        QCOMPARE(fixtures::probe(folder.filePath("-y.m4a")).audioCodec, QString("aac"));
    }

    // rmcoda reads the path back from the script exactly, the triple-quoted
    // form included, with the script itself in a folder with blanks.
    void throughScript_data()
    {
        QTest::addColumn<QString>("baseName");
        QTest::newRow("blanks") << "real media clip";
        QTest::newRow("double quote") << "say \"cheese\"";
        QTest::newRow("quote at the end") << "clip\"";
        QTest::newRow("quote at the start") << "\"clip";
        QTest::newRow("non-ASCII and comma") << "Lied, Grüße";
    }

    void throughScript()
    {
        QFETCH(QString, baseName);
        QTemporaryDir folder(QDir(m_work.path()).filePath("program folder XXXXXX"));
        QVERIFY(folder.isValid());
        const QString source = folder.filePath(baseName + ".rm");
        QVERIFY(QFile::copy(m_realClip, source));
        const QString script = writeScript(folder.path(), source);
        const QString output = folder.filePath(baseName + ".mp4");
        const Finished run = runEncoder(rmcoda(), builderArguments(outputType(".mp4"), script, output));
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        const fixtures::ProbeFacts facts = fixtures::probe(output);
        QCOMPARE(facts.videoCodec, QString("mpeg4"));
        QVERIFY(qAbs(facts.duration - 2.0) < 0.15);
    }

    // A relative path in the script counts from the script's folder, not
    // from where rmcoda runs.
    void relativePathInScript()
    {
        QTemporaryDir folder;
        QVERIFY(QFile::copy(m_realClip, folder.filePath("beside.rm")));
        const QString script = writeScript(folder.path(), "beside.rm");
        const QString output = folder.filePath("beside.mp3");
        const Finished run = runEncoder(rmcoda(), builderArguments(outputType(".mp3"), script, output),
                                        QProcessEnvironment::systemEnvironment(), m_work.path());
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        QCOMPARE(fixtures::probe(output).audioCodec, QString("mp3"));
    }
};

QTEST_GUILESS_MAIN(TestEncoderNames)
#include "tst_enc_names.moc"
