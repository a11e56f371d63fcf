#include "../support/ProgramFixture.h"
#include "Code/Unit_CommonLib.h"

#include <QDir>
#include <QProcess>
#include <QSet>
#include <QTest>
#include <QTimer>

namespace {

// Hands every request to a FakePlatform it owns; subclasses change how
// processes are listed and ended.
class ForwardingPlatform : public platform::Platform {
public:
    explicit ForwardingPlatform(bool realProcesses) : fake(std::make_unique<FakePlatform>())
    {
        fake->useRealProcesses = realProcesses;
    }
    std::unique_ptr<FakePlatform> fake;

    QList<platform::ProcessEntry> runningProcesses() override { return fake->runningProcesses(); }
    bool terminateProcess(qint64 pid) override { return fake->terminateProcess(pid); }
    bool powerOff() override { return fake->powerOff(); }
    bool openUrl(const QUrl &url) override { return fake->openUrl(url); }
    void trimWorkingSet() override { fake->trimWorkingSet(); }
    std::unique_ptr<platform::SleepInhibitor> preventSleep(const QString &reason) override
    {
        return fake->preventSleep(reason);
    }
    std::unique_ptr<platform::SleepInhibitor> preventScreenSaver(const QString &reason) override
    {
        return fake->preventScreenSaver(reason);
    }
    void endProcess(int exitCode) override { fake->endProcess(exitCode); }
    bool postNotice(const DesktopNotice &notice) override { return fake->postNotice(notice); }
    void publishLauncherProgress(double progress, bool visible) override
    {
        fake->publishLauncherProgress(progress, visible);
    }
};

// A process table of the test's making: an ended process leaves it, except a
// stubborn one (the kill is accepted, yet it goes on, like a process stuck in
// the kernel) and a refused one (the kill fails).
class ProcessTable final : public ForwardingPlatform {
public:
    ProcessTable() : ForwardingPlatform(false) {}
    QSet<qint64> stubborn;
    QSet<qint64> refused;

    bool terminateProcess(qint64 pid) override
    {
        fake->terminateProcess(pid);
        if (refused.contains(pid))
            return false;
        if (!stubborn.contains(pid))
            fake->processes.removeIf([pid](const platform::ProcessEntry &entry) { return entry.pid == pid; });
        return true;
    }
};

// This machine's processes, but only those the test started can be seen or ended.
class OwnProcessesOnly final : public ForwardingPlatform {
public:
    OwnProcessesOnly() : ForwardingPlatform(true) {}
    QSet<qint64> own;

    QList<platform::ProcessEntry> runningProcesses() override
    {
        QList<platform::ProcessEntry> visible = fake->runningProcesses();
        visible.removeIf([this](const platform::ProcessEntry &entry) { return !own.contains(entry.pid); });
        return visible;
    }
    bool terminateProcess(qint64 pid) override { return own.contains(pid) && fake->terminateProcess(pid); }
};

template <typename Replacement> Replacement *installPlatform()
{
    auto replacement = std::make_unique<Replacement>();
    Replacement *raw = replacement.get();
    platform::setCurrent(std::move(replacement));
    return raw;
}

// "101 vidcoda" per process.
QList<platform::ProcessEntry> processList(const QStringList &entries)
{
    QList<platform::ProcessEntry> list;
    for (const QString &entry : entries) {
        const QStringList parts = entry.split(QLatin1Char(' '));
        list.append({parts.at(0).toLongLong(), parts.at(1)});
    }
    return list;
}

QList<qint64> pidsOf(const QList<platform::ProcessEntry> &list)
{
    QList<qint64> pids;
    for (const platform::ProcessEntry &entry : list)
        pids.append(entry.pid);
    return pids;
}

} // namespace

class TestTermination : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramFixture> m_program;
    ProcessTable *m_table = nullptr;
    int m_defaultAttempts = 0;

    int logged(const QString &message) const
    {
        const QString log = QString::fromUtf8(m_program->read(QStringLiteral("log.txt")));
        return int(log.count(QLatin1Char('|') + message + QStringLiteral("\r\n")));
    }
    QString encoder(const QString &name) const { return CommonLib->ProgramFolder + name; }

private Q_SLOTS:
    void initTestCase()
    {
        m_program = std::make_unique<ProgramFixture>();
        m_defaultAttempts = CommonLib->KillAttempts;
    }

    void init()
    {
        m_table = installPlatform<ProcessTable>();
        CommonLib->KillAttempts = m_defaultAttempts;
        m_program->prompts->messages.clear();
        QFile::remove(m_program->path(QStringLiteral("log.txt")));
    }

    void killEncoders_data()
    {
        QTest::addColumn<QString>("encoderName");
        QTest::addColumn<QStringList>("running");
        QTest::addColumn<QList<qint64>>("terminated");
        QTest::addColumn<QList<qint64>>("left");
        QTest::newRow("nothing running") << "vidcoda" << QStringList() << QList<qint64>() << QList<qint64>();
        QTest::newRow("nothing running, RealMedia row")
            << "rmcoda" << QStringList() << QList<qint64>() << QList<qint64>();
        QTest::newRow("two vidcoda, one of another program")
            << "vidcoda" << QStringList{"101 vidcoda", "102 vidcoda"} << QList<qint64>{101, 102} << QList<qint64>();
        QTest::newRow("rmcoda first, then vidcoda") << "rmcoda" << QStringList{"201 vidcoda", "202 rmcoda", "203 bash"}
                                                    << QList<qint64>{202, 201} << QList<qint64>{203};
        QTest::newRow("letter case ignored")
            << "vidcoda" << QStringList{"301 VIDCODA"} << QList<qint64>{301} << QList<qint64>();
        QTest::newRow("similar names and rmcoda left for a vidcoda row")
            << "vidcoda" << QStringList{"401 vidcoda2", "402 myvidcoda", "403 rmcoda"} << QList<qint64>()
            << QList<qint64>{401, 402, 403};
    }
    void killEncoders()
    {
        QFETCH(QString, encoderName);
        QFETCH(QStringList, running);
        m_table->fake->processes = processList(running);

        CommonLib->KillEncoders(encoder(encoderName));

        QTEST(m_table->fake->terminated, "terminated");
        QTEST(pidsOf(m_table->fake->processes), "left");
        // Each of the two searches ends on an empty result and says so.
        QCOMPARE(logged(QStringLiteral("Get Process id error.")), 2);
        QCOMPARE(logged(QStringLiteral("Terminate process error.")), 0);
        QCOMPARE(m_program->prompts->texts(), QStringList());
    }

    void unkillable_data()
    {
        QTest::addColumn<QString>("encoderName");
        QTest::addColumn<QStringList>("running");
        QTest::addColumn<int>("attempts");
        QTest::addColumn<int>("terminations");
        QTest::addColumn<QStringList>("named");
        QTest::newRow("vidcoda behind a RealMedia row")
            << "rmcoda" << QStringList{"501 vidcoda"} << 3 << 3 << QStringList{"vidcoda"};
        QTest::newRow("vidcoda row, searched twice")
            << "vidcoda" << QStringList{"601 vidcoda"} << 2 << 4 << QStringList{"vidcoda"};
        QTest::newRow("both encoders stuck")
            << "rmcoda" << QStringList{"701 rmcoda", "702 vidcoda"} << 2 << 4 << QStringList{"rmcoda", "vidcoda"};
    }
    void unkillable()
    {
        QFETCH(QString, encoderName);
        QFETCH(QStringList, running);
        QFETCH(int, attempts);
        QFETCH(QStringList, named);
        m_table->fake->processes = processList(running);
        const QList<qint64> pids = pidsOf(m_table->fake->processes);
        m_table->stubborn = QSet<qint64>(pids.begin(), pids.end());
        CommonLib->KillAttempts = attempts;
        // The window keeps handling its events between attempts.
        int ticks = 0;
        QTimer heartbeat;
        connect(&heartbeat, &QTimer::timeout, this, [&ticks] { ++ticks; });
        heartbeat.start(10);

        CommonLib->KillEncoders(encoder(encoderName));

        QTEST(int(m_table->fake->terminated.size()), "terminations");
        QCOMPARE(pidsOf(m_table->fake->processes), pids);
        QCOMPARE(m_program->prompts->messages.size(), 1);
        QCOMPARE(m_program->prompts->messages.first().icon, QMessageBox::Warning);
        for (const QString &name : named)
            QVERIFY2(m_program->prompts->messages.first().text.contains(name),
                     qPrintable(m_program->prompts->messages.first().text));
        QVERIFY2(ticks >= attempts, qPrintable(QString::number(ticks)));
    }

    void findProcessId_data()
    {
        QTest::addColumn<QStringList>("running");
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("id");
        QTest::newRow("none") << QStringList{"11 bash"} << "vidcoda" << qint64(0);
        QTest::newRow("one") << QStringList{"11 bash", "12 rmcoda"} << "rmcoda" << qint64(12);
        QTest::newRow("the last one walked")
            << QStringList{"17 vidcoda", "13 vidcoda", "15 bash"} << "vidcoda" << qint64(13);
        QTest::newRow("letter case ignored") << QStringList{"21 RMCODA"} << "rmcoda" << qint64(21);
    }
    void findProcessId()
    {
        QFETCH(QStringList, running);
        QFETCH(QString, name);
        QFETCH(qint64, id);
        m_table->fake->processes = processList(running);
        QCOMPARE(CommonLib->FindProcessId(name), id);
        QCOMPARE(logged(QStringLiteral("Get Process id error.")), id == 0 ? 1 : 0);
        QVERIFY(m_table->fake->terminated.isEmpty());
    }

    void terminateByName_data()
    {
        QTest::addColumn<QStringList>("running");
        QTest::addColumn<QList<qint64>>("refused");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QList<qint64>>("terminated");
        QTest::newRow("none matches") << QStringList{"31 bash"} << QList<qint64>() << "vidcoda" << false
                                      << QList<qint64>();
        QTest::newRow("every match ended") << QStringList{"41 vidcoda", "42 bash", "43 vidcoda"} << QList<qint64>()
                                           << "vidcoda" << true << QList<qint64>{41, 43};
        QTest::newRow("the last one refused") << QStringList{"51 vidcoda", "52 vidcoda"} << QList<qint64>{52}
                                              << "vidcoda" << false << QList<qint64>{51, 52};
        QTest::newRow("only the last one counts") << QStringList{"61 vidcoda", "62 vidcoda"} << QList<qint64>{61}
                                                  << "vidcoda" << true << QList<qint64>{61, 62};
        QTest::newRow("letter case ignored")
            << QStringList{"71 RmCoda"} << QList<qint64>() << "rmcoda" << true << QList<qint64>{71};
    }
    void terminateByName()
    {
        QFETCH(QStringList, running);
        QFETCH(QList<qint64>, refused);
        QFETCH(QString, name);
        QFETCH(bool, result);
        m_table->fake->processes = processList(running);
        m_table->refused = QSet<qint64>(refused.begin(), refused.end());

        QCOMPARE(CommonLib->TerminateProcessByName(name), result);
        QTEST(m_table->fake->terminated, "terminated");
        QCOMPARE(logged(QStringLiteral("Terminate process error.")), result ? 0 : 1);
    }

    void showFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("blanks") << "/home/ann/Movarel Output Folder/";
        QTest::newRow("no such folder") << "/nowhere/at all/";
        QTest::newRow("characters that mean something in an address") << "/home/ann/clips #1 100%/?a=b/";
    }
    void showFolder()
    {
        QFETCH(QString, folder);
        CommonLib->ShowFolderInExplorer(folder);
        QCOMPARE(m_table->fake->openedUrls.size(), 1);
        const QUrl opened = m_table->fake->openedUrls.first();
        QVERIFY(opened.isLocalFile());
        QCOMPARE(opened.toLocalFile(), folder);
        QCOMPARE(m_table->fake->powerOffs, 0);
    }

    void showFolderWithoutABuild()
    {
        // No row was built yet in this run: the file manager opens its usual place.
        CommonLib->ShowFolderInExplorer(QString());
        QCOMPARE(m_table->fake->openedUrls.size(), 1);
        QCOMPARE(m_table->fake->openedUrls.first(), QUrl::fromLocalFile(QDir::homePath()));
    }

    void shutdown()
    {
        CommonLib->ShutdownComputer();
        QCOMPARE(m_table->fake->powerOffs, 1);
        QVERIFY(m_table->fake->endedWith.isEmpty());
        QVERIFY(m_table->fake->openedUrls.isEmpty());
    }

    void endsARealProcess()
    {
        // A stand-in that the process list shows as "vidcoda".
        QTemporaryDir bin;
        QVERIFY(bin.isValid());
        const QString stand = bin.filePath(QStringLiteral("vidcoda"));
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), stand));
        QProcess sleeper;
        sleeper.start(stand, {QStringLiteral("60")});
        QVERIFY(sleeper.waitForStarted());
        const qint64 pid = sleeper.processId();
        OwnProcessesOnly *machine = installPlatform<OwnProcessesOnly>();
        machine->own.insert(pid);
        QCOMPARE(CommonLib->FindProcessId(QStringLiteral("vidcoda")), pid);

        CommonLib->KillEncoders(encoder(QStringLiteral("rmcoda")));

        QCOMPARE(machine->fake->terminated, QList<qint64>{pid});
        // Its end may already have been collected while the kill serviced events.
        QVERIFY(sleeper.state() == QProcess::NotRunning || sleeper.waitForFinished(5000));
        QCOMPARE(sleeper.exitStatus(), QProcess::CrashExit);
        QCOMPARE(CommonLib->FindProcessId(QStringLiteral("vidcoda")), qint64(0));
        QCOMPARE(m_program->prompts->texts(), QStringList());
    }
};

QTEST_MAIN(TestTermination)
#include "tst_termination.moc"
