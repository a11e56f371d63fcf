#pragma once

#include "platform/Platform.h"

#include <QCoreApplication>
#include <QFile>
#include <QList>
#include <QUrl>

// Stands in for the operating system: records what the program asked for and
// never powers off, opens a browser or ends the test run.
class FakePlatform final : public platform::Platform {
public:
    QList<platform::ProcessEntry> processes;
    QList<qint64> terminated;
    QList<QUrl> openedUrls;
    QList<int> endedWith;
    int powerOffs = 0;
    int trims = 0;
    bool useRealProcesses = true;  // list and end this machine's processes
    bool onlyOwnProcesses = false; // ...but only those this test process started

    QList<platform::ProcessEntry> runningProcesses() override
    {
        if (!useRealProcesses)
            return processes;
        QList<platform::ProcessEntry> running = real()->runningProcesses();
        if (onlyOwnProcesses)
            running.removeIf([](const platform::ProcessEntry &entry) { return !descendsFromUs(entry.pid); });
        return running;
    }
    bool terminateProcess(qint64 pid) override
    {
        terminated.append(pid);
        return useRealProcesses ? real()->terminateProcess(pid) : true;
    }
    bool powerOff() override
    {
        ++powerOffs;
        return true;
    }
    bool openUrl(const QUrl &url) override
    {
        openedUrls.append(url);
        return true;
    }
    void trimWorkingSet() override { ++trims; }

    int awakeHeld = 0;  // inhibitors alive now
    int awakeTaken = 0; // inhibitors ever taken
    std::unique_ptr<platform::SleepInhibitor> preventSleep(const QString &) override
    {
        ++awakeTaken;
        return std::make_unique<Inhibitor>(awakeHeld);
    }
    int screenHeld = 0; // screen-saver holds alive now
    std::unique_ptr<platform::SleepInhibitor> preventScreenSaver(const QString &) override
    {
        return std::make_unique<Inhibitor>(screenHeld);
    }
    void endProcess(int exitCode) override { endedWith.append(exitCode); }

    // Installs a fresh fake as the current platform and returns it.
    static FakePlatform *install()
    {
        auto fake = std::make_unique<FakePlatform>();
        FakePlatform *raw = fake.get();
        platform::setCurrent(std::move(fake));
        return raw;
    }

    QList<DesktopNotice> notices;
    bool noticesShown = true; // what postNotice answers: false plays a desktop without notifications
    bool postNotice(const DesktopNotice &notice) override
    {
        notices.append(notice);
        return noticesShown;
    }
    struct LauncherProgress {
        double progress = 0;
        bool visible = false;
    };
    QList<LauncherProgress> launcherProgress; // every update, in order
    void publishLauncherProgress(double progress, bool visible) override
    {
        launcherProgress.append({progress, visible});
    }

private:
    static qint64 parentOf(qint64 pid)
    {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return 0;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        return fields.size() > 1 ? fields.at(1).toLongLong() : 0;
    }

    static bool descendsFromUs(qint64 pid)
    {
        const qint64 us = QCoreApplication::applicationPid();
        for (qint64 at = parentOf(pid); at > 1; at = parentOf(at)) {
            if (at == us)
                return true;
        }
        return false;
    }

    class Inhibitor final : public platform::SleepInhibitor {
    public:
        explicit Inhibitor(int &held) : m_held(held) { ++m_held; }
        ~Inhibitor() override { --m_held; }

    private:
        int &m_held;
    };

    platform::Platform *real()
    {
        if (!m_real)
            m_real = platform::createSystemPlatform();
        return m_real.get();
    }
    std::unique_ptr<platform::Platform> m_real;
};
