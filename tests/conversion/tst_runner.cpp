#include "Code/AdvanceSystem.h"
#include "Code/core/ProgramFolder.h"
#include "Code/core/WindowsCommandLine.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

const QString childProgram = QStringLiteral(MOVAREL_TST_CHILD);

// The stand-in encoder's command line: its path unquoted, as the builder
// writes it, and each action as one quoted word.
QString childCommand(const QStringList &actions, const QString &program = childProgram)
{
    QString commandLine = program;
    for (const QString &action : actions)
        commandLine += QLatin1Char(' ') + QuoteCommandArgument(action);
    return commandLine;
}

struct RunResult {
    bool started = false;
    int exitCode = -999;
    QStringList chunks;
};

RunResult runCommand(const QString &commandLine, const QString &program = childProgram)
{
    RunResult result;
    result.started = RunEncoderProcess(
        program, commandLine, [&result](const QString &chunk) { result.chunks.append(chunk); }, &result.exitCode);
    return result;
}

// Collects a runner's output as it announces it, from its own thread.
struct OutputLog {
    QMutex guard;
    QStringList chunks;
    bool onRunnerThread = false;

    void take(const QString &chunk)
    {
        const QMutexLocker locker(&guard);
        chunks.append(chunk);
        onRunnerThread = QThread::currentThread() != QCoreApplication::instance()->thread();
    }
    QStringList taken()
    {
        const QMutexLocker locker(&guard);
        return chunks;
    }
};

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
        const RunResult result = runCommand(childCommand(actions));
        QVERIFY(result.started);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.chunks, chunks);
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
        const RunResult result = runCommand(childCommand(actions));
        QVERIFY(result.started);
        QCOMPARE(result.exitCode, exitCode);
    }

    void programThatCannotStart_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("placeAt");
        QTest::addColumn<QFile::Permissions>("permissions");
        const QFile::Permissions none;
        QTest::newRow("missing") << "%1/no such dir/vidcoda"
                                 << "%1/no such dir/vidcoda -y -i \"in.avi\"" << QString() << none;
        QTest::newRow("empty command line") << ""
                                            << "" << QString() << none;
        QTest::newRow("folder") << "%1/folder"
                                << "%1/folder -y"
                                << "%1/folder/file" << QFile::Permissions(QFile::ReadOwner);
        QTest::newRow("not executable") << "%1/vidcoda"
                                        << "%1/vidcoda -y"
                                        << "%1/vidcoda" << QFile::Permissions(QFile::ReadOwner);
        QTest::newRow("command line of another program")
            << "%1/vidcoda"
            << "%1/other -y"
            << "%1/vidcoda" << QFile::Permissions(QFile::ReadOwner | QFile::ExeOwner);
    }
    void programThatCannotStart()
    {
        QFETCH(QString, program);
        QFETCH(QString, commandLine);
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
        const auto inDir = [&dir](const QString &text) { return text.contains("%1") ? text.arg(dir.path()) : text; };
        const RunResult result = runCommand(inDir(commandLine), inDir(program));
        QVERIFY(!result.started);
        QCOMPARE(result.chunks, QStringList{});
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
        const RunResult result = runCommand(program + " args \"in put.avi\" -f mov", program);
        QVERIFY(result.started);
        QCOMPARE(result.chunks.join(QString()), "3\x1fin put.avi\x1f-f\x1fmov");

        QVERIFY(QFile::remove(program));
        const RunResult missing = runCommand(program + " args", program);
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
        const RunResult result = runCommand(childCommand({"cwd"}));
        QVERIFY(result.started);
        QCOMPARE(result.chunks.join(QString()), QFileInfo(folder).canonicalFilePath());
    }

    void missingProgramFolderFailsTheStart()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        OverrideProgramFolder(dir.filePath("gone/"));
        const RunResult result = runCommand(childCommand({"text:ran"}));
        QVERIFY(!result.started);
        QCOMPARE(result.chunks, QStringList{});
    }

    // Input gives end of file at once (a child reading it never hangs), and
    // standard output and error arrive through one pipe, in order.
    void standardStreams()
    {
        const RunResult result = runCommand(childCommand({"stdin", "flush", "text:|error", "flush-err"}));
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
        const RunResult result = runCommand(childCommand({"fds"}));
        const int descriptorsAfter = openDescriptorCount();
        ::close(stray);
        QVERIFY(result.started);
        QCOMPARE(result.chunks.join(QString()), "0 1 2");
        QCOMPARE(descriptorsAfter, descriptorsBefore);
    }

    // The quoted words reach the program as exactly these arguments.
    void quotedArgumentsReachTheProgram()
    {
        const QStringList paths{"/tmp/x\" -f mp4 \"/tmp/evil.mp4",
                                "/tmp/dir\\",
                                "/tmp/a\\\\\"b",
                                "/tmp/Ünïcødé 视频.avi",
                                "/tmp/a\tb",
                                "-vn",
                                ""};
        QString commandLine = childCommand({"args"});
        for (const QString &path : paths)
            commandLine += QLatin1Char(' ') + QuoteCommandArgument(path);
        const RunResult result = runCommand(commandLine);
        QVERIFY(result.started);
        QCOMPARE(result.chunks.join(QString()), QString::number(paths.size()) + "\x1f" + paths.join("\x1f"));
    }

    // Waiting on a silent encoder sleeps instead of spinning on the pipe.
    void silentEncoderCostsNoProcessor()
    {
        const double before = processCpuSeconds();
        const RunResult result = runCommand(childCommand({"sleep:1500"}));
        const double used = processCpuSeconds() - before;
        QVERIFY(result.started);
        QVERIFY2(used < 0.4, qPrintable(QString("%1 s of processor time").arg(used)));
    }

    void runnerStartsOnlyOnResume()
    {
        OutputLog log;
        TAdvanceSystem runner(childProgram, childCommand({"text:ran", "flush", "exit:4"}));
        connect(
            &runner, &TAdvanceSystem::Output, &runner, [&log](const QString &chunk) { log.take(chunk); },
            Qt::DirectConnection);
        QTest::qWait(300);
        QVERIFY(!runner.isRunning());
        QCOMPARE(log.taken(), QStringList{});
        runner.Resume();
        QVERIFY(runner.wait(10000));
        QCOMPARE(log.taken(), QStringList{"ran"});
        QVERIFY(log.onRunnerThread);
        QVERIFY(runner.EncoderStarted());
        QCOMPARE(runner.ExitCode(), 4);
    }

    void destroyingRunnerWaitsForEncoder()
    {
        OutputLog log;
        auto runner = std::make_unique<TAdvanceSystem>(childProgram, childCommand({"sleep:700", "text:done", "flush"}));
        connect(
            runner.get(), &TAdvanceSystem::Output, runner.get(), [&log](const QString &chunk) { log.take(chunk); },
            Qt::DirectConnection);
        runner->Resume();
        runner.reset();
        QCOMPARE(log.taken(), QStringList{"done"});
    }

    void runnerReportsProgramNotStarted()
    {
        OutputLog log;
        TAdvanceSystem runner("/nonexistent/vidcoda", "/nonexistent/vidcoda -y");
        connect(
            &runner, &TAdvanceSystem::Output, &runner, [&log](const QString &chunk) { log.take(chunk); },
            Qt::DirectConnection);
        runner.Resume();
        QVERIFY(runner.wait(10000));
        QVERIFY(!runner.EncoderStarted());
        QCOMPARE(runner.ExitCode(), -1);
        QCOMPARE(log.taken(), QStringList{});
    }
};

QTEST_GUILESS_MAIN(TestRunner)
#include "tst_runner.moc"
