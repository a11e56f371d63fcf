#pragma once

#include "platform/Platform.h"

#include <QList>
#include <QStringList>
#include <QUrl>

// Stands in for the operating system: records what the program asked for and
// never powers off, opens a browser or ends the test run.
class FakePlatform final : public platform::Platform {
public:
    QList<QUrl> openedUrls;
    QList<int> endedWith;
    int powerOffs = 0;
    int trims = 0;
    // Every request that reaches the desktop or the machine, in order:
    // "open <url>", "power off", "end <code>".
    QStringList calls;

    bool powerOff() override
    {
        ++powerOffs;
        calls.append(QStringLiteral("power off"));
        return true;
    }
    bool openUrl(const QUrl &url) override
    {
        openedUrls.append(url);
        calls.append(QStringLiteral("open ") + url.toString());
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
    void endProcess(int exitCode) override
    {
        endedWith.append(exitCode);
        calls.append(QStringLiteral("end %1").arg(exitCode));
    }

    QList<platform::DesktopNotice> notices;
    bool noticeServiceThere = true;
    bool postNotice(const platform::DesktopNotice &notice) override
    {
        if (noticeServiceThere)
            notices.append(notice);
        return noticeServiceThere;
    }
    // Each figure published, -1 for "taken away".
    QList<double> launcherProgress;
    void publishLauncherProgress(double progress, bool visible) override
    {
        launcherProgress.append(visible ? progress : -1.0);
    }

    // Installs a fresh fake as the current platform and returns it.
    static FakePlatform *install()
    {
        auto fake = std::make_unique<FakePlatform>();
        FakePlatform *raw = fake.get();
        platform::setCurrent(std::move(fake));
        return raw;
    }

private:
    class Inhibitor final : public platform::SleepInhibitor {
    public:
        explicit Inhibitor(int &held) : m_held(held) { ++m_held; }
        ~Inhibitor() override { --m_held; }

    private:
        int &m_held;
    };
};
