#include "platform/Platform.h"

#ifdef _WIN32
#include <QDesktopServices>
#include <QProcess>

#include <tlhelp32.h>
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
    QList<ProcessEntry> runningProcesses() override
    {
        QList<ProcessEntry> result;
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE)
            return result;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL ok = Process32FirstW(snapshot, &entry); ok; ok = Process32NextW(snapshot, &entry))
            result.append({static_cast<qint64>(entry.th32ProcessID), QString::fromWCharArray(entry.szExeFile)});
        CloseHandle(snapshot);
        return result;
    }

    bool terminateProcess(qint64 pid) override
    {
        HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid));
        if (!process)
            return false;
        const bool ok = TerminateProcess(process, 0) != 0;
        CloseHandle(process);
        return ok;
    }

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

    // Windows has neither the freedesktop notification service nor launcher entries.
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
