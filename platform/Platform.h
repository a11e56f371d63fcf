#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <memory>

namespace platform {

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
};

// The platform in use: the system's own unless a test installed another one.
Platform &current();
// Installs a replacement (tests); nullptr restores the system's implementation.
void setCurrent(std::unique_ptr<Platform> replacement);
std::unique_ptr<Platform> createSystemPlatform();

// Suffix of executable files on this platform ("" here, ".exe" on Windows).
QString executableSuffix();

} // namespace platform
