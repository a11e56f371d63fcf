#include "Code/conversion/AdvanceSystem.h"
#include "Code/core/ProgramFolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

const QString childProgram = QStringLiteral(MOVAREL_TST_CHILD);

struct RunResult {
    bool started = false;
    int exitCode = -999;
    QStringList chunks;
    QList<qint64> chunkTimes; // when each chunk arrived, ms after the start
    int finishedSignals = 0;
    qint64 runMs = 0; // from the start to the end
};

// Runs the stand-in encoder with its actions as arguments, to its end.
RunResult run(const QStringList &actions, const QString &program = childProgram)
{
    RunResult result;
    TAdvanceSystem runner(program, actions);
    QElapsedTimer clock;
    QObject::connect(&runner, &TAdvanceSystem::Output, [&](const QString &chunk) {
        result.chunks.append(chunk);
        result.chunkTimes.append(clock.elapsed());
    });
    QSignalSpy finished(&runner, &TAdvanceSystem::Finished);
    clock.start();
    result.started = runner.Start();
    if (result.started && finished.wait(20000)) {
        result.exitCode = finished.first().first().toInt();
        result.runMs = clock.elapsed();
        QTest::qWait(50); // nothing may follow the end
        result.finishedSignals = int(finished.size());
    }
    return result;
}

int openDescriptorCount()
{
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size();
}

// A copy of the stand-in encoder at `path`, folders created as needed.
bool placeChild(const QString &path)
{
    return QDir().mkpath(QFileInfo(path).path()) && QFile::copy(childProgram, path) &&
           QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
}

double processCpuSeconds()
{
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

} // namespace

class TestRunner : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { OverrideProgramFolder(QString()); }

    void deliveries_data()
    {
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QStringList>("chunks");
        QTest::newRow("3000 bytes at once: newest block only")
            << QStringList{"fill:1023:61", "fill:1023:62", "fill:954:63", "flush", "sleep:200"}
            << QStringList{QString(954, 'c')};
        QTest::newRow("one full block") << QStringList{"fill:1023:61", "flush"} << QStringList{QString(1023, 'a')};
        QTest::newRow("two full blocks") << QStringList{"fill:1023:61", "fill:1023:62", "flush"}
                                         << QStringList{QString(1023, 'b')};
        QTest::newRow("zero byte cuts") << QStringList{"hex:616263006465660a", "flush"} << QStringList{"abc"};
        QTest::newRow("zero byte first") << QStringList{"hex:00414243", "flush"} << QStringList{""};
        QTest::newRow("silence") << QStringList{"sleep:300"} << QStringList{};
        QTest::newRow("separate writes") << QStringList{"text:first", "flush", "sleep:1200", "text:second", "flush"}
                                         << QStringList{"first", "second"};
        QTest::newRow("utf-8") << QStringList{"text:time=12.48 Größe ✓", "flush"}
                               << QStringList{QString::fromUtf8("time=12.48 Größe ✓")};
        QTest::newRow("written just before the end")
            << QStringList{"text:last", "flush", "exit:0"} << QStringList{"last"};
    }
    void deliveries()
    {
        QFETCH(QStringList, actions);
        QFETCH(QStringList, chunks);
        const RunResult result = run(actions);
        QVERIFY(result.started);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.chunks, chunks);
        QCOMPARE(result.finishedSignals, 1);
    }

    // An encoder printing every 50 ms for 2 s is heard at most twice a second
    // while it runs: 5 chunks over 2 s, a few more where a loaded machine
    // stretches the run, and what it left when it ended, at once.
    void atMostOneChunkPer500Ms()
    {
        const RunResult result = run({"ticks:50:40"});
        QVERIFY(result.started);
        const qint64 mostChunks = qMax<qint64>(5, 1 + result.runMs / 500) + 1;
        QVERIFY2(!result.chunks.isEmpty() && result.chunks.size() <= mostChunks,
                 qPrintable(QStringLiteral("%1 chunks in %2 ms").arg(result.chunks.size()).arg(result.runMs)));
        for (int i = 1; i + 1 < result.chunkTimes.size(); ++i)
            QVERIFY2(result.chunkTimes[i] - result.chunkTimes[i - 1] >= 450,
                     qPrintable(QStringLiteral("chunk %1 came %2 ms after the one before")
                                    .arg(i)
                                    .arg(result.chunkTimes[i] - result.chunkTimes[i - 1])));
        // The last chunk carries the last status.
        QVERIFY(result.chunks.last().endsWith(QLatin1String("tick 40\r")));
    }

    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("success") << QStringList{"exit:0"} << 0;
        QTest::newRow("failure") << QStringList{"text:Permission denied", "flush", "exit:3"} << 3;
        QTest::newRow("killed") << QStringList{"signal:9"} << 128 + 9;
        QTest::newRow("terminated") << QStringList{"signal:15"} << 128 + 15;
    }
    void exitCodes()
    {
        QFETCH(QStringList, actions);
        QFETCH(int, exitCode);
        const RunResult result = run(actions);
        QVERIFY(result.started);
        QCOMPARE(result.exitCode, exitCode);
    }

    void programThatCannotStart_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("placeAt");
        QTest::addColumn<QFile::Permissions>("permissions");
        const QFile::Permissions none;
        QTest::newRow("missing") << "%1/no such dir/vidcoda" << QString() << none;
        QTest::newRow("no program") << "" << QString() << none;
        QTest::newRow("folder") << "%1/folder"
                                << "%1/folder/file" << QFile::Permissions(QFile::ReadOwner);
        QTest::newRow("not executable") << "%1/vidcoda"
                                        << "%1/vidcoda" << QFile::Permissions(QFile::ReadOwner);
    }
    void programThatCannotStart()
    {
        QFETCH(QString, program);
        QFETCH(QString, placeAt);
        QFETCH(QFile::Permissions, permissions);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        if (!placeAt.isEmpty()) {
            const QString path = placeAt.arg(dir.path());
            QVERIFY(placeChild(path));
            QVERIFY(QFile::setPermissions(path, permissions));
        }
        const int descriptorsBefore = openDescriptorCount();
        TAdvanceSystem runner(program.contains("%1") ? program.arg(dir.path()) : program, {"text:ran"});
        QSignalSpy output(&runner, &TAdvanceSystem::Output);
        QSignalSpy finished(&runner, &TAdvanceSystem::Finished);
        QVERIFY(!runner.Start());
        QVERIFY(!runner.IsRunning());
        QTest::qWait(100);
        QCOMPARE(output.size(), 0);
        QCOMPARE(finished.size(), 0);
        QCOMPARE(openDescriptorCount(), descriptorsBefore);
    }

    // The encoder's path stands unquoted in the command line, blanks and all.
    // It is run by that exact path: a program planted at a shorter piece of
    // it ("/x/My" for "/x/My Apps/...") never runs.
    void programPathWithBlanksRunsExactly()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString planted = dir.filePath("My");
        QVERIFY(placeChild(planted));
        const QString program = dir.filePath("My Apps/the dist/vidcoda");
        QVERIFY(placeChild(program));
        const RunResult result = run({"args", "in put.avi", "-f", "mov"}, program);
        QVERIFY(result.started);
        QCOMPARE(result.chunks.join(QString()), "3\x1fin put.avi\x1f-f\x1fmov");

        QVERIFY(QFile::remove(program));
        const RunResult missing = run({"args"}, program);
        QVERIFY(!missing.started);
        QCOMPARE(missing.chunks, QStringList{});
    }

    void workingDirectoryIsProgramFolder()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.filePath("Program Folder");
        QVERIFY(QDir().mkpath(folder));
        OverrideProgramFolder(folder + "/");
        const RunResult result = run({"cwd"});
        QVERIFY(result.started);
        QCOMPARE(result.chunks.join(QString()), QFileInfo(folder).canonicalFilePath());
    }

    void missingProgramFolderFailsTheStart()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        OverrideProgramFolder(dir.filePath("gone/"));
        const RunResult result = run({"text:ran"});
        QVERIFY(!result.started);
        QCOMPARE(result.chunks, QStringList{});
    }

    // Input gives end of file at once (a child reading it never hangs), and
    // standard output and error arrive through one pipe, in order.
    void standardStreams()
    {
        const RunResult result = run({"stdin", "flush", "text:|error", "flush-err"});
        QVERIFY(result.started);
        QCOMPARE(result.chunks.join(QString()), "pipe eof|error");
    }

    // Even a descriptor opened without close-on-exec stays out of the child,
    // and the runner leaves none of its own behind.
    void noDescriptorLeaks()
    {
        const int stray = ::open("/dev/null", O_RDONLY);
        QVERIFY(stray > 2);
        const int descriptorsBefore = openDescriptorCount();
        const RunResult result = run({"fds"});
        const int descriptorsAfter = openDescriptorCount();
        ::close(stray);
        QVERIFY(result.started);
        QCOMPARE(result.chunks.join(QString()), "0 1 2");
        QCOMPARE(descriptorsAfter, descriptorsBefore);
    }

    // Arguments reach the program exactly as they are, whatever they hold.
    void argumentsReachTheProgram()
    {
        const QStringList paths{"/tmp/x\" -f mp4 \"/tmp/evil.mp4",
                                "/tmp/dir\\",
                                "/tmp/a\\\\\"b",
                                "/tmp/Ünïcødé 视频.avi",
                                "/tmp/a\tb",
                                "-vn",
                                ""};
        const RunResult result = run(QStringList{"args"} + paths);
        QVERIFY(result.started);
        QCOMPARE(result.chunks.join(QString()), QString::number(paths.size()) + "\x1f" + paths.join("\x1f"));
    }

    // Waiting on a silent encoder sleeps instead of spinning on the pipe.
    void silentEncoderCostsNoProcessor()
    {
        const double before = processCpuSeconds();
        const RunResult result = run({"sleep:1500"});
        const double used = processCpuSeconds() - before;
        QVERIFY(result.started);
        QVERIFY2(used < 0.4, qPrintable(QString("%1 s of processor time").arg(used)));
    }

    void nothingRunsBeforeStart()
    {
        TAdvanceSystem runner(childProgram, {"text:ran", "flush", "exit:4"});
        QTest::qWait(200);
        QVERIFY(!runner.IsRunning());
        QSignalSpy output(&runner, &TAdvanceSystem::Output);
        QSignalSpy finished(&runner, &TAdvanceSystem::Finished);
        QVERIFY(runner.Start());
        QVERIFY(runner.IsRunning());
        QVERIFY(!runner.Start()); // one process per runner
        QVERIFY(finished.wait(10000));
        QCOMPARE(output.size(), 1);
        QCOMPARE(output.first().first().toString(), QStringLiteral("ran"));
        QCOMPARE(finished.first().first().toInt(), 4);
        QVERIFY(!runner.IsRunning());
    }

    // Terminate asks; an encoder that will not listen is ended by Kill.
    void endingTheEncoder_data()
    {
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<bool>("kill");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("asked to end") << QStringList{"sleep:30000"} << false << 128 + 15;
        QTest::newRow("deaf to the request, killed") << QStringList{"no-term", "sleep:30000"} << true << 128 + 9;
    }
    void endingTheEncoder()
    {
        QFETCH(QStringList, actions);
        QFETCH(bool, kill);
        TAdvanceSystem runner(childProgram, actions);
        QSignalSpy finished(&runner, &TAdvanceSystem::Finished);
        QVERIFY(runner.Start());
        QTest::qWait(300);
        runner.Terminate();
        if (kill) {
            QVERIFY(!finished.wait(700));
            QVERIFY(runner.IsRunning());
            runner.Kill();
        }
        QVERIFY(finished.wait(5000));
        QTEST(finished.first().first().toInt(), "exitCode");
        // Once it has ended, nothing is sent any more.
        runner.Terminate();
        runner.Kill();
    }

    // The runner owns its encoder: when it goes, the encoder goes with it.
    void destroyingRunnerEndsItsEncoder()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        OverrideProgramFolder(dir.path() + "/");
        auto runner =
            std::make_unique<TAdvanceSystem>("/bin/sh", QStringList{"-c", "echo $$ > encoder.pid; exec sleep 60"});
        QVERIFY(runner->Start());
        QTRY_VERIFY(QFile(dir.filePath("encoder.pid")).size() > 0);
        QFile pidFile(dir.filePath("encoder.pid"));
        QVERIFY(pidFile.open(QIODevice::ReadOnly));
        const QString proc = "/proc/" + QString::fromLatin1(pidFile.readAll().trimmed());
        QVERIFY(QFileInfo::exists(proc));
        runner.reset();
        QVERIFY(!QFileInfo::exists(proc));
    }
};

QTEST_GUILESS_MAIN(TestRunner)
#include "tst_runner.moc"
