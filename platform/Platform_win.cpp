#include "platform/Platform.h"

#ifdef _WIN32
#include <QDesktopServices>
#include <QProcess>

#include <windows.h>

#include <cstdlib>

namespace platform {
namespace {

class ExecutionStateInhibitor final : public SleepInhibitor {
public:
    ~ExecutionStateInhibitor() override { SetThreadExecutionState(ES_CONTINUOUS); }
};

class WindowsPlatform final : public Platform {
public:
    bool powerOff() override
    {
        return QProcess::startDetached(QStringLiteral("shutdown"),
                                       {QStringLiteral("/s"), QStringLiteral("/t"), QStringLiteral("0")});
    }

    bool openUrl(const QUrl &url) override { return QDesktopServices::openUrl(url); }

    void trimWorkingSet() override
    {
        SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
    }

    std::unique_ptr<SleepInhibitor> preventSleep(const QString &) override
    {
        // Held for the thread that asked: the batch runs on the window's thread.
        SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
        return std::make_unique<ExecutionStateInhibitor>();
    }

    std::unique_ptr<SleepInhibitor> preventScreenSaver(const QString &) override
    {
        // Held for the thread that asked: the preview is driven from the window's thread.
        SetThreadExecutionState(ES_CONTINUOUS | ES_DISPLAY_REQUIRED);
        return std::make_unique<ExecutionStateInhibitor>();
    }

    void endProcess(int exitCode) override { std::_Exit(exitCode); }

    // Toast notifications and task-bar progress need window handles this layer
    // does not have; the batch's end is then told only by the program's windows.
    bool postNotice(const DesktopNotice &) override { return false; }
    void publishLauncherProgress(double, bool) override {}
};

} // namespace

std::unique_ptr<Platform> createSystemPlatform()
{
    return std::make_unique<WindowsPlatform>();
}

QString executableSuffix()
{
    return QStringLiteral(".exe");
}

} // namespace platform
#endif
