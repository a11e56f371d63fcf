// The encoder's life around ffmpeg: it outlives ffmpeg, passes its exit code
// on, takes it down when killed, and prints status lines the progress window
// can read the whole time.

#include "EncoderHarness.h"
#include "FakeFfmpeg.h"
#include "ProgressRule.h"

#include <QDeadlineTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

using namespace encodertest;

namespace {

// One process as /proc shows it; startTime tells a reused id apart.
struct ProcessFacts {
    bool exists = false;
    char state = '?';
    qint64 parent = 0;
    QByteArray startTime;
    QString executable; // empty for a zombie, whose program is gone
    QString command;    // the name the kernel keeps, a zombie's too
};

ProcessFacts factsOf(qint64 pid)
{
    ProcessFacts facts;
    QFile stat(QString("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return facts;
    const QByteArray text = stat.readAll();
    // Fields after the command name, which may hold blanks: state is field 3,
    // the parent field 4, the start time field 22.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20)
        return facts;
    facts.exists = true;
    const qsizetype open = text.indexOf('(');
    facts.command = QString::fromUtf8(text.mid(open + 1, text.lastIndexOf(')') - open - 1));
    facts.state = fields.at(0).at(0);
    facts.parent = fields.at(1).toLongLong();
    facts.startTime = fields.at(19);
    facts.executable = QFileInfo(QFile::symLinkTarget(QString("/proc/%1/exe").arg(pid))).fileName();
    return facts;
}

// The same process still running (a zombie has ended).
bool stillRuns(qint64 pid, const QByteArray &startTime)
{
    const ProcessFacts facts = factsOf(pid);
    return facts.exists && facts.state != 'Z' && facts.startTime == startTime;
}

// An ended child stays a zombie until its parent waits for it; zombiesToo
// finds it then.
qint64 ffmpegChildOf(qint64 parent, bool zombiesToo = false)
{
    const QStringList entries = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isNumber = false;
        const qint64 pid = entry.toLongLong(&isNumber);
        if (!isNumber)
            continue;
        const ProcessFacts facts = factsOf(pid);
        const bool ffmpeg = facts.executable == "ffmpeg" || (zombiesToo && facts.command == "ffmpeg");
        if (facts.parent == parent && ffmpeg && (zombiesToo || facts.state != 'Z'))
            return pid;
    }
    return 0;
}

bool unnamedFilesWork(const QString &folder)
{
    const int descriptor = ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return false;
    ::close(descriptor);
    return true;
}

// Whole seconds of each line, by the progress window's rule.
QStringList secondsOf(const QStringList &lines, bool audioOnly)
{
    QStringList seconds;
    for (const QString &line : lines)
        seconds << windowSeconds(line, audioOnly);
    return seconds;
}

QStringList withoutRepeats(const QStringList &list)
{
    QStringList result;
    for (const QString &item : list) {
        if (result.isEmpty() || result.last() != item)
            result << item;
    }
    return result;
}

} // namespace

class TestEncoderProcess : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_work;
    QString m_clip;     // 2 seconds
    QString m_longClip; // long enough to be killed mid-way

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_work.isValid());
        fixtures::ClipSpec clipSpec;
        clipSpec.seconds = 2.0;
        m_clip = fixtures::makeClip(m_work.path(), "clip.avi", clipSpec);
        clipSpec.seconds = 10.0;
        clipSpec.size = QSize(640, 480);
        m_longClip = fixtures::makeClip(m_work.path(), "long.avi", clipSpec);
        QVERIFY(!m_clip.isEmpty() && !m_longClip.isEmpty());
    }

    // Real ffmpeg, and a stand-in that hangs without writing anything, so
    // that nothing but the parent-death signal can end it.
    void killTakesFfmpegDown_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("hangingStandIn");
        QTest::newRow("SIGKILL") << int(SIGKILL) << false;
        QTest::newRow("SIGTERM") << int(SIGTERM) << false;
        QTest::newRow("SIGKILL, hanging") << int(SIGKILL) << true;
        QTest::newRow("SIGTERM, hanging") << int(SIGTERM) << true;
    }

    void killTakesFfmpegDown()
    {
        QFETCH(int, signal);
        QFETCH(bool, hangingStandIn);
        QTemporaryDir fake;
        QTemporaryDir out;
        const QString output = out.filePath("result.mp4");
        QProcess encoder;
        if (hangingStandIn)
            encoder.setProcessEnvironment(fakeFfmpegEnvironment(fake.path(), "hang"));
        encoder.start(vidcoda(), builderArguments(outputType(".mp4"), m_longClip, output));
        QVERIFY(encoder.waitForStarted());

        qint64 ffmpeg = 0;
        const QDeadlineTimer deadline(20000);
        while (ffmpeg == 0 && !deadline.hasExpired() && encoder.state() == QProcess::Running) {
            if (!hangingStandIn)
                ffmpeg = ffmpegChildOf(encoder.processId());
            else if (const qint64 pid = fakeFfmpegPid(fake.path()); pid > 0 && factsOf(pid).executable == "sleep")
                ffmpeg = pid;
            if (ffmpeg == 0)
                QThread::msleep(5);
        }
        QVERIFY2(ffmpeg > 0, "ffmpeg was not seen running under the encoder");
        QCOMPARE(factsOf(ffmpeg).parent, encoder.processId());
        const QByteArray startTime = factsOf(ffmpeg).startTime;

        QCOMPARE(::kill(pid_t(encoder.processId()), signal), 0);
        QVERIFY(encoder.waitForFinished(10000));
        QCOMPARE(encoder.exitStatus(), QProcess::CrashExit);
        QTRY_VERIFY_WITH_TIMEOUT(!stillRuns(ffmpeg, startTime), 5000);
        QVERIFY(!QFile::exists(output));
        // An unnamed pending file vanishes even with SIGKILL; after SIGTERM
        // the encoder cleans up whatever it had.
        if (signal == SIGTERM || unnamedFilesWork(out.path()))
            QCOMPARE(filesIn(out.path()), QStringList());
    }

    // A stop while an H.264 picture's own orientation is read, by an ffprobe
    // that never answers: the reading, ffmpeg and the encoder end, and
    // nothing is left behind.
    void stopWhileReadingThePicturesOrientation()
    {
        QTemporaryDir fake;
        QTemporaryDir out;
        const QString source = m_work.filePath("h264.mp4");
        QVERIFY(QFileInfo::exists(source) ||
                fixtures::runFfmpeg({"-f", "lavfi", "-i", "testsrc=size=640x480:rate=25:duration=10", "-c:v", "libx264",
                                     "-pix_fmt", "yuv420p", source}));
        // The real ffmpeg, with a stand-in ffprobe beside it.
        QVERIFY(QFile::link(QStandardPaths::findExecutable("ffmpeg"), fake.filePath("ffmpeg")));
        QVERIFY(writeProgram(fake.filePath("ffprobe"), "#!/bin/sh\necho $$ > \"$0.pid\"\nexec sleep 60\n"));

        const QString output = out.filePath("result.mp4");
        QProcess encoder;
        encoder.setProcessEnvironment(withProgramsFrom(fake.path()));
        encoder.start(vidcoda(), builderArguments(outputType(".mp4"), source, output));
        QVERIFY(encoder.waitForStarted());
        qint64 reading = 0;
        const QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired() && encoder.state() == QProcess::Running) {
            QFile pidFile(fake.filePath("ffprobe.pid"));
            if (pidFile.open(QIODevice::ReadOnly))
                reading = pidFile.readAll().trimmed().toLongLong();
            if (reading > 0 && factsOf(reading).executable == "sleep")
                break;
            reading = 0;
            QThread::msleep(5);
        }
        QVERIFY2(reading > 0, "the orientation was not seen being read");
        // ffmpeg may have finished meanwhile; the encoder waits for it only
        // after the reading.
        const qint64 ffmpeg = ffmpegChildOf(encoder.processId(), true);
        QVERIFY2(ffmpeg > 0, "ffmpeg did not run beside the reading");
        const QByteArray readingStart = factsOf(reading).startTime;
        const QByteArray ffmpegStart = factsOf(ffmpeg).startTime;

        QCOMPARE(::kill(pid_t(encoder.processId()), SIGTERM), 0);
        QVERIFY(encoder.waitForFinished(10000));
        QCOMPARE(encoder.exitStatus(), QProcess::CrashExit);
        QTRY_VERIFY_WITH_TIMEOUT(!stillRuns(reading, readingStart) && !stillRuns(ffmpeg, ffmpegStart), 5000);
        QCOMPARE(filesIn(out.path()), QStringList());
    }

    // ffmpeg's exit code comes back, with ffmpeg's error as the one line, and
    // what it wrote is gone.
    // The program that started the encoder is killed: the encoder ends too,
    // and leaves no output.
    void encoderEndsWithTheProgramThatStartedIt()
    {
        QTemporaryDir out;
        const QString output = out.filePath("result.mp4");
        QStringList command{vidcoda()};
        command += builderArguments(outputType(".mp4"), m_longClip, output);
        for (QString &word : command)
            word = "'" + word.replace("'", "'\\''") + "'";
        // A shell starts the encoder (over a stand-in ffmpeg that never ends),
        // says its id, and is killed while it runs.
        QTemporaryDir fake;
        QProcess starter;
        starter.setProcessEnvironment(fakeFfmpegEnvironment(fake.path(), "hang"));
        starter.start("sh", {"-c", command.join(' ') + " >/dev/null 2>&1 & echo $!; sleep 60"});
        QVERIFY(starter.waitForReadyRead(10000));
        const qint64 encoder = starter.readLine().trimmed().toLongLong();
        QVERIFY(encoder > 0);
        const QByteArray startTime = factsOf(encoder).startTime;
        // Once the encoder is converting (its stand-in ffmpeg hangs there).
        QTRY_VERIFY_WITH_TIMEOUT(fakeFfmpegPid(fake.path()) > 0, 20000);
        QVERIFY(stillRuns(encoder, startTime));
        starter.kill();
        QVERIFY(starter.waitForFinished(5000));
        const bool ended = QTest::qWaitFor([&] { return !stillRuns(encoder, startTime); }, 10000);
        if (!ended)
            ::kill(pid_t(encoder), SIGKILL); // this test's own encoder, left over
        QVERIFY(ended);
        QVERIFY(!QFile::exists(output));
    }

    void exitCodeIsFfmpegs()
    {
        QTemporaryDir fake;
        QTemporaryDir out;
        const Finished run = runEncoder(vidcoda(), builderArguments(outputType(".mp4"), m_clip, out.filePath("r.mp4")),
                                        fakeFfmpegEnvironment(fake.path(), "fail"));
        QCOMPARE(run.exitCode, 42);
        QCOMPARE(run.errors, QByteArray("vidcoda: ffmpeg failed: fake: the encoder broke down\n"));
        QCOMPARE(filesIn(out.path()), QStringList());
    }

    // The encoder's process runs until ffmpeg has ended, so a batch that
    // waits for the encoder's name waits for the whole encode.
    void encoderOutlivesFfmpeg()
    {
        QTemporaryDir fake;
        QTemporaryDir out;
        const Finished run = runEncoder(vidcoda(), builderArguments(outputType(".m4a"), m_clip, out.filePath("r.m4a")),
                                        fakeFfmpegEnvironment(fake.path(), "quiet"));
        QCOMPARE(run.exitCode, 0);
        const qint64 ffmpeg = fakeFfmpegPid(fake.path());
        QVERIFY(ffmpeg > 0);
        QVERIFY(!factsOf(ffmpeg).exists); // ended and reaped by the encoder
        QCOMPARE(filesIn(out.path()), QStringList{"r.m4a"});
    }

    void statusLinesOfRealConversions_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::newRow("video") << ".mov";
        QTest::newRow("audio") << ".aac";
    }

    // The first lines carry the unknown-time marker, every line has the
    // layout the window reads, the seconds never fall, and the last line
    // holds the output's length.
    void statusLinesOfRealConversions()
    {
        QFETCH(QString, extension);
        const OutputType type = outputType(extension);
        QTemporaryDir out;
        const Finished run = runEncoder(vidcoda(), builderArguments(type, m_longClip, out.filePath("r" + extension),
                                                                    {"-ss", "00:00:01", "-t", "8"}));
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        QVERIFY(run.output.endsWith("\r\n"));
        const QStringList lines = statusLines(run.output);
        QVERIFY(lines.size() >= 2);
        // The unknown time repeats at ffmpeg's pace until its first report,
        // which a busy machine can delay past one period.
        const QStringList seconds = withoutRepeats(secondsOf(lines, !type.video));
        QCOMPARE(seconds.first(), QString("10000000000"));
        // On a busy machine ffmpeg can stay quiet for more than one report.
        qsizetype firstTime = 1;
        while (firstTime < seconds.size() && seconds.at(firstTime) == QString("10000000000"))
            ++firstTime;
        int previous = -1;
        for (const QString &text : seconds.mid(firstTime)) {
            bool isNumber = false;
            const int value = text.toInt(&isNumber);
            QVERIFY2(isNumber && value >= previous, qPrintable(seconds.join(' ')));
            previous = value;
        }
        QCOMPARE(seconds.last(), QString("8"));
    }

    // Reports of rising times come through in order, in either layout.
    void statusLinesFollowFfmpeg_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::newRow("video") << ".mp4";
        QTest::newRow("audio") << ".mp3";
    }

    void statusLinesFollowFfmpeg()
    {
        QFETCH(QString, extension);
        const OutputType type = outputType(extension);
        QTemporaryDir fake;
        QTemporaryDir out;
        const Finished run = runEncoder(vidcoda(), builderArguments(type, m_clip, out.filePath("r" + extension)),
                                        fakeFfmpegEnvironment(fake.path(), "rising"));
        QCOMPARE(run.exitCode, 0);
        const QStringList seconds = secondsOf(statusLines(run.output), !type.video);
        QCOMPARE(withoutRepeats(seconds), (QStringList{"10000000000", "0", "1", "2", "3"}));
    }

    // While ffmpeg says nothing (opening a large input) the line still comes
    // about twice a second, with the unknown-time marker.
    void statusLinesWhileFfmpegIsQuiet()
    {
        QTemporaryDir fake;
        QTemporaryDir out;
        const Finished run = runEncoder(vidcoda(), builderArguments(outputType(".mp4"), m_clip, out.filePath("r.mp4")),
                                        fakeFfmpegEnvironment(fake.path(), "quiet"));
        QCOMPARE(run.exitCode, 0);
        const QStringList seconds = secondsOf(statusLines(run.output), false);
        QVERIFY2(seconds.count("10000000000") >= 3, qPrintable(seconds.join(' ')));
        QCOMPARE(seconds.last(), QString("1"));
    }
};

QTEST_GUILESS_MAIN(TestEncoderProcess)
#include "tst_enc_process.moc"
