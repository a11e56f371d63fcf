#include "platform/ChildProcess.h"

#ifdef _WIN32
#include <QThread>

#include <windows.h>

namespace platform {
namespace {

// Windows rules for one argument: quoted when it holds blanks or quotes,
// backslashes before a quote doubled.
QString quoted(const QString &argument)
{
    if (!argument.isEmpty() && !argument.contains(QLatin1Char(' ')) && !argument.contains(QLatin1Char('\t')) &&
        !argument.contains(QLatin1Char('"')))
        return argument;
    QString result = QStringLiteral("\"");
    int backslashes = 0;
    for (QChar c : argument) {
        if (c == QLatin1Char('\\')) {
            ++backslashes;
            continue;
        }
        result += QString(c == QLatin1Char('"') ? backslashes * 2 + 1 : backslashes, QLatin1Char('\\'));
        backslashes = 0;
        result += c;
    }
    return result + QString(backslashes * 2, QLatin1Char('\\')) + QLatin1Char('"');
}

class WindowsChildProcess final : public ChildProcess {
public:
    WindowsChildProcess(HANDLE process, HANDLE output) : m_process(process), m_output(output) {}
    ~WindowsChildProcess() override
    {
        CloseHandle(m_output);
        CloseHandle(m_process);
    }

    int bytesWaiting() override
    {
        DWORD waiting = 0;
        return PeekNamedPipe(m_output, nullptr, 0, nullptr, &waiting, nullptr) ? static_cast<int>(waiting) : 0;
    }

    void waitForOutput(int milliseconds) override { QThread::msleep(static_cast<unsigned long>(milliseconds)); }

    void waitForEnd(int milliseconds) override { WaitForSingleObject(m_process, static_cast<DWORD>(milliseconds)); }

    qsizetype read(char *buffer, qsizetype size) override
    {
        DWORD got = 0;
        return ReadFile(m_output, buffer, static_cast<DWORD>(size), &got, nullptr) ? got : 0;
    }

    bool running(int &exitCode) override
    {
        DWORD code = 0;
        if (!GetExitCodeProcess(m_process, &code)) {
            exitCode = -1;
            return false;
        }
        if (code == STILL_ACTIVE && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT)
            return true;
        exitCode = static_cast<int>(code);
        return false;
    }

    // The handle stays ours until this object goes, so it names this child
    // even after it has ended. A console program gets no gentler request.
    void terminate() override { TerminateProcess(m_process, 1); }
    void kill() override { TerminateProcess(m_process, 1); }

private:
    HANDLE m_process;
    HANDLE m_output;
};

} // namespace

std::unique_ptr<ChildProcess> startChildProcess(const QString &program, const QStringList &arguments,
                                                const QString &workingFolder)
{
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE outputRead = nullptr, outputWrite = nullptr, inputRead = nullptr, inputWrite = nullptr;
    if (!CreatePipe(&outputRead, &outputWrite, &inherit, 0) || !CreatePipe(&inputRead, &inputWrite, &inherit, 0))
        return nullptr;
    SetHandleInformation(outputRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(inputWrite, HANDLE_FLAG_INHERIT, 0);
    QString commandLine = quoted(program);
    for (const QString &argument : arguments)
        commandLine += QLatin1Char(' ') + quoted(argument);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = inputRead;
    startup.hStdOutput = outputWrite;
    startup.hStdError = outputWrite;
    PROCESS_INFORMATION info{};
    std::wstring line = commandLine.toStdWString();
    // The application name is given, so Windows runs exactly that file and
    // never tries pieces of a path with blanks.
    const BOOL started =
        CreateProcessW(reinterpret_cast<LPCWSTR>(program.utf16()), line.data(), nullptr, nullptr, TRUE,
                       CREATE_NEW_CONSOLE, nullptr, reinterpret_cast<LPCWSTR>(workingFolder.utf16()), &startup, &info);
    CloseHandle(inputRead);
    CloseHandle(inputWrite);
    CloseHandle(outputWrite);
    if (!started) {
        CloseHandle(outputRead);
        return nullptr;
    }
    CloseHandle(info.hThread);
    return std::make_unique<WindowsChildProcess>(info.hProcess, outputRead);
}

} // namespace platform
#endif
