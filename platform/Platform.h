#pragma once

#include <QString>
#include <QUrl>

#include <memory>

namespace platform {

// A desktop notification: what it says, and the folder its "Open folder"
// action shows (none when empty).
struct DesktopNotice {
    QString summary;
    QString body;
    QString folderToOpen;
};

// Keeps the computer from sleeping while it exists.
class SleepInhibitor {
public:
    virtual ~SleepInhibitor() = default;
};

// Everything the program asks of the operating system goes through this one
// interface, so tests can replace it and never power off the machine, open a
// browser or end the test run. Encoders are not here: each is started and
// ended through the process its job owns (ChildProcess.h).
class Platform {
public:
    virtual ~Platform() = default;

    virtual bool powerOff() = 0;
    // Web address, mailto: address, local file or folder, in the desktop's default handler.
    virtual bool openUrl(const QUrl &url) = 0;
    virtual void trimWorkingSet() = 0;
    // Holds off sleep and idle until the returned object is destroyed;
    // nullptr where the system offers no way to do so.
    virtual std::unique_ptr<SleepInhibitor> preventSleep(const QString &reason) = 0;
    // Holds off the screen saver until the returned object is destroyed;
    // nullptr where the desktop offers no way to do so.
    virtual std::unique_ptr<SleepInhibitor> preventScreenSaver(const QString &reason) = 0;
    // Ends the program at once with the given exit code.
    virtual void endProcess(int exitCode) = 0;
    // Shows a notification on the desktop, with the program's name and icon;
    // false, with nothing shown, where the desktop has no notification service.
    virtual bool postNotice(const DesktopNotice &notice) = 0;
    // Progress (0 to 1) on the program's entry in docks and task managers that
    // show one; `visible` false takes it away.
    virtual void publishLauncherProgress(double progress, bool visible) = 0;
};

// The platform in use: the system's own unless a test installed another one.
Platform &current();
// Installs a replacement (tests); nullptr restores the system's implementation.
void setCurrent(std::unique_ptr<Platform> replacement);
std::unique_ptr<Platform> createSystemPlatform();

// Suffix of executable files on this platform ("" here, ".exe" on Windows).
QString executableSuffix();

} // namespace platform
