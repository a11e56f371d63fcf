#include "Code/Func.h"
#include "platform/Platform.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {
class ListedProcesses final : public platform::Platform {
public:
    QList<platform::ProcessEntry> entries;
    QList<platform::ProcessEntry> runningProcesses() override { return entries; }
    bool terminateProcess(qint64) override { return true; }
    bool powerOff() override { return false; }
    bool openUrl(const QUrl &) override { return false; }
    void trimWorkingSet() override {}
    std::unique_ptr<platform::SleepInhibitor> preventSleep(const QString &) override { return nullptr; }
    std::unique_ptr<platform::SleepInhibitor> preventScreenSaver(const QString &) override { return nullptr; }
    void endProcess(int) override {}
    bool postNotice(const DesktopNotice &) override { return false; }
    void publishLauncherProgress(double, bool) override {}
};
} // namespace

class TestProcesses : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lastMatchWinsWithoutLetterCase()
    {
        auto fake = std::make_unique<ListedProcesses>();
        fake->entries = {{11, "vidcoda"}, {12, "rmcoda"}, {13, "VidCoda"}, {14, "vidcoda2"}};
        platform::setCurrent(std::move(fake));
        QCOMPARE(TSysFunc().GetProcessIdByName("vidcoda"), qint64(13));
        QCOMPARE(TSysFunc().GetProcessIdByName("absent"), qint64(0));
        QCOMPARE(platform::findProcessIds("VIDCODA"), (QList<qint64>{11, 13}));
        platform::setCurrent(nullptr);
    }

    // A real child under a name of its own: found while it runs, gone once it
    // has ended even before anyone reaps it.
    void realProcessFoundUntilItEnds()
    {
        QTemporaryDir dir;
        const QString sleeper = dir.filePath("movarel-tst-sleeper");
        QVERIFY(QFile::copy("/bin/sleep", sleeper));
        QVERIFY(QFile::setPermissions(sleeper, QFile::ReadOwner | QFile::ExeOwner));

        const QByteArray program = sleeper.toLocal8Bit();
        const pid_t child = ::fork();
        if (child == 0) {
            ::execl(program.constData(), program.constData(), "30", static_cast<char *>(nullptr));
            ::_exit(127);
        }
        QVERIFY(child > 0);
        QTRY_COMPARE(TSysFunc().GetProcessIdByName("MOVAREL-TST-SLEEPER"), qint64(child));

        QVERIFY(platform::current().terminateProcess(child));
        // Not reaped yet: a zombie, which no longer counts as running.
        QTRY_COMPARE(TSysFunc().GetProcessIdByName("movarel-tst-sleeper"), qint64(0));
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), SIGKILL);
    }
};

QTEST_GUILESS_MAIN(TestProcesses)
#include "tst_processes.moc"
