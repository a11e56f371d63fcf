// Two windows may convert into one folder at once: each claims its output's
// name with an empty file before it starts the encoder with -y. The encoder
// replaces only that claim; a file another program put at the name while it
// ran is left intact and the run fails.

#include "EncoderHarness.h"
#include "FakeFfmpeg.h"

#include <QTemporaryDir>

using namespace encodertest;

namespace {

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void claim(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::NewOnly));
}

} // namespace

class TestEncoderClaims : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_work;
    QString m_clip;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_work.isValid());
        m_clip = fixtures::makeClip(m_work.path(), "clip.avi", {.seconds = 2.0});
        QVERIFY(!m_clip.isEmpty());
    }

    void claimIsReplaced_data()
    {
        QTest::addColumn<QString>("extension");
        for (const OutputType &type : outputTypes())
            QTest::newRow(qPrintable(type.extension)) << type.extension;
    }

    void claimIsReplaced()
    {
        QFETCH(QString, extension);
        QTemporaryDir out;
        const QString output = out.filePath("clip" + extension);
        claim(output);
        const Finished run = runEncoder(vidcoda(), builderArguments(outputType(extension), m_clip, output));
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        QVERIFY(fixtures::probe(output).duration > 1.5);
        QCOMPARE(filesIn(out.path()), QStringList{"clip" + extension});
    }

    // The stand-in ffmpeg puts the rival's file at the name, as the other
    // window's encoder delivering there, before it ends.
    void rivalFileIsLeft_data()
    {
        QTest::addColumn<bool>("claimed");
        QTest::newRow("claim replaced meanwhile") << true;
        QTest::newRow("no claim, file appeared meanwhile") << false;
    }

    void rivalFileIsLeft()
    {
        QFETCH(bool, claimed);
        QTemporaryDir out;
        QTemporaryDir fake;
        const QString output = out.filePath("clip.mp4");
        if (claimed)
            claim(output);
        QProcessEnvironment environment = fakeFfmpegEnvironment(fake.path(), "rival");
        environment.insert("FAKE_FFMPEG_RIVAL", output);
        const Finished run = runEncoder(vidcoda(), builderArguments(outputType(".mp4"), m_clip, output), environment);
        QVERIFY(!run.crashed);
        QVERIFY(run.exitCode != 0);
        QCOMPARE(QString::fromUtf8(run.errors),
                 "vidcoda: another program took the output's name meanwhile; its file \"" + output +
                     "\" is left as it is\n");
        QCOMPARE(contentOf(output), QByteArray("rival"));
        QCOMPARE(filesIn(out.path()), QStringList{"clip.mp4"});
    }
};

QTEST_GUILESS_MAIN(TestEncoderClaims)
#include "tst_enc_claims.moc"
