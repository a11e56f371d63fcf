// One row's job and the encoder it owns, with small shell scripts standing in
// for the encoder.
#include "../support/OwnChildren.h"
#include "Code/conversion/ConversionJob.h"
#include "Code/core/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool processAlive(qint64 pid)
{
    return pid > 0 && QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid));
}

TJobResult resultOf(const QSignalSpy &finished)
{
    return finished.first().first().value<TJobResult>();
}

} // namespace

class TestJob : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder; // the program folder, the encoders' working folder

    // An encoder script in the program folder.
    QString encoder(const QByteArray &script)
    {
        const QString path = m_folder.filePath(QStringLiteral("vidcoda"));
        QFile::remove(path);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        file.write("#!/bin/sh\n" + script);
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    TConvertParameterStruct parameters(const QString &encoderPath) const
    {
        TConvertParameterStruct p;
        p.SourceFile = m_folder.filePath(QStringLiteral("in.avi"));
        p.InputFile = p.SourceFile;
        p.EncoderPath = encoderPath;
        p.Options.OutputType = 0;
        p.OutputPath = m_folder.filePath(QStringLiteral("out.mp4"));
        return p;
    }

    // The encoder's process id, once its script has written it down; 0 when it never did.
    qint64 waitForPid()
    {
        QFile pidFile(m_folder.filePath(QStringLiteral("encoder.pid")));
        for (int tries = 0; tries < 200 && pidFile.size() == 0; ++tries)
            QTest::qWait(50);
        if (!pidFile.open(QIODevice::ReadOnly))
            return 0;
        return pidFile.readAll().trimmed().toLongLong();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        OverrideProgramFolder(m_folder.path() + QLatin1Char('/'));
    }

    void init() { QFile::remove(m_folder.filePath(QStringLiteral("encoder.pid"))); }

    // Cancelling ends the job's own encoder and leaves alone one of the same
    // name that somebody else started.
    void cancelEndsOnlyItsOwnEncoder_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::newRow("ends when asked") << QByteArray("echo $$ > encoder.pid\nexec sleep 60\n");
        // A signal ignored before exec stays ignored: only the forced end works.
        QTest::newRow("deaf to the request") << QByteArray("trap '' TERM\necho $$ > encoder.pid\nexec sleep 60\n");
    }
    void cancelEndsOnlyItsOwnEncoder()
    {
        QFETCH(QByteArray, script);
        const StrangerEncoder stranger(QStringLiteral("vidcoda"));
        QVERIFY(stranger.running());

        TConversionJob job(parameters(encoder(script)));
        job.TerminateGraceMs = 300;
        QSignalSpy finished(&job, &TConversionJob::Finished);
        job.Start();
        const qint64 pid = waitForPid();
        QVERIFY(processAlive(pid));
        QVERIFY(job.IsRunning());

        job.Cancel();
        QVERIFY(finished.wait(10000));
        QCOMPARE(resultOf(finished).Outcome, TJobResult::Cancelled);
        QVERIFY(!processAlive(pid));
        QVERIFY(!QFileInfo::exists(job.Parameters.OutputPath));
        QVERIFY(stranger.running());
    }

    // A job always ends through its signal, never inside Start().
    void failuresBeforeTheEncoderRuns_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("scriptWritten");
        QTest::addColumn<QString>("encoderPath");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no encoder") << "in.avi" << true << "missing/vidcoda"
                                    << "The encoder could not be started.";
        QTest::newRow("RealMedia without its script") << "in.rm" << false << "vidcoda"
                                                      << "The script for RealMedia sources could not be written.";
    }
    void failuresBeforeTheEncoderRuns()
    {
        QFETCH(QString, source);
        QFETCH(bool, scriptWritten);
        QFETCH(QString, encoderPath);
        encoder("echo ran > encoder.pid\n");
        TConvertParameterStruct p = parameters(m_folder.filePath(encoderPath));
        p.SourceFile = m_folder.filePath(source);
        p.ScriptWritten = scriptWritten;
        TConversionJob job(p);
        QSignalSpy finished(&job, &TConversionJob::Finished);
        job.Start();
        QCOMPARE(finished.size(), 0);
        QVERIFY(finished.wait(5000));
        QCOMPARE(resultOf(finished).Outcome, TJobResult::Failed);
        QTEST(resultOf(finished).Reason, "reason");
        QTest::qWait(200);
        QCOMPARE(finished.size(), 1);
        QVERIFY(!QFileInfo::exists(m_folder.filePath(QStringLiteral("encoder.pid"))));
    }

    // The encoder's status lines become progress; a failed encoder's words
    // become the reason, and the name the row claimed is given back.
    void progressAndFailure()
    {
        const QString path = encoder("printf 'frame=   75 q=2.0 size=      12kB time=3.00 bitrate=  1.0kbits/s\\r'\n"
                                     "sleep 0.6\n"
                                     "echo 'vidcoda: No space left on device' >&2\n"
                                     "exit 1\n");
        TConvertParameterStruct claimed = parameters(path);
        bool taken = false;
        claimed.OutputClaim = platform::createNewFile(claimed.OutputPath, taken);
        QVERIFY(claimed.OutputClaim);
        TConversionJob job(claimed);
        QSignalSpy progress(&job, &TConversionJob::Progress);
        QSignalSpy finished(&job, &TConversionJob::Finished);
        job.Start();
        QVERIFY(finished.wait(10000));
        QCOMPARE(progress.size(), 1);
        QCOMPARE(progress.first().first().toLongLong(), qint64(3));
        QCOMPARE(resultOf(finished).Outcome, TJobResult::Failed);
        QCOMPARE(resultOf(finished).Reason, QStringLiteral("No space left on device"));
        QVERIFY(job.LastOutput().contains(QLatin1String("time=3.00")));
        QVERIFY(!QFileInfo::exists(job.Parameters.OutputPath));
    }
};

QTEST_GUILESS_MAIN(TestJob)
#include "tst_job.moc"
