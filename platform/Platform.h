#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <memory>

namespace platform {

struct ProcessEntry {
    qint64 pid = 0;
    QString exeName; // file name of the executable, without folder
};

// Keeps the computer from sleeping while it exists.
class SleepInhibitor {
public:
    virtual ~SleepInhibitor() = default;
};

// Everything the program asks of the operating system goes through this one
// interface, so tests can replace it and never power off the machine, open a
// browser or end the test run.
class Platform {
public:
    virtual ~Platform() = default;

    // Running processes; processes that have already ended are left out.
    virtual QList<ProcessEntry> runningProcesses() = 0;
    virtual bool terminateProcess(qint64 pid) = 0;
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

    struct DesktopNotice {
        QString summary;
        QString body;
        QString folderToOpen; // offered as "Open folder" where the desktop supports actions; may be empty
    };
    // Shows a desktop notification. False when no notification service
    // answered: then nothing is shown, and the caller waits two seconds at most.
    virtual bool postNotice(const DesktopNotice &notice) = 0;
    // Progress (0..1) on the program's launcher entry in docks and task bars;
    // visible=false takes it away. Does nothing where the desktop offers none.
    virtual void publishLauncherProgress(double progress, bool visible) = 0;
};

// The platform in use: the system's own unless a test installed another one.
Platform &current();
// Installs a replacement (tests); nullptr restores the system's implementation.
void setCurrent(std::unique_ptr<Platform> replacement);
std::unique_ptr<Platform> createSystemPlatform();

// Executable name comparison follows the platform (no letter case on either).
bool sameExecutableName(const QString &a, const QString &b);
// Ids of the running processes whose executable is called `exeName`, in walk order.
QList<qint64> findProcessIds(const QString &exeName);

// Suffix of executable files on this platform ("" here, ".exe" on Windows).
QString executableSuffix();

} // namespace platform
