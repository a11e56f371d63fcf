#include "platform/ChildProcess.h"

#include <QFile>
#include <QMutex>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform {
namespace {

// A file descriptor closed when it goes out of scope.
class Descriptor {
public:
    Descriptor() = default;
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor() { reset(); }

    int get() const { return fd; }
    int release() { return std::exchange(fd, -1); }
    void reset(int other = -1)
    {
        if (fd >= 0)
            ::close(fd);
        fd = other;
    }

private:
    int fd = -1;
};

// Keeps a pipe end off the standard descriptors, so that placing it on 0, 1
// or 2 in the child is always a real copy (which clears close-on-exec).
int awayFromStandardDescriptors(int fd)
{
    if (fd > STDERR_FILENO)
        return fd;
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    ::close(fd);
    return moved;
}

bool makePipe(Descriptor &readEnd, Descriptor &writeEnd)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return false;
    readEnd.reset(awayFromStandardDescriptors(ends[0]));
    writeEnd.reset(awayFromStandardDescriptors(ends[1]));
    return readEnd.get() >= 0 && writeEnd.get() >= 0;
}

class SpawnSettings {
public:
    SpawnSettings(int input, int output, const QByteArray &folder)
    {
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawnattr_init(&attributes);
        ready = ::posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO) == 0 &&
                ::posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO) == 0 &&
                ::posix_spawn_file_actions_adddup2(&actions, output, STDERR_FILENO) == 0 &&
                // Nothing of ours beyond the three standard descriptors, even
                // descriptors other code opened without close-on-exec.
                ::posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1) == 0 &&
                ::posix_spawn_file_actions_addchdir_np(&actions, folder.constData()) == 0 && setAttributes();
    }
    ~SpawnSettings()
    {
        ::posix_spawnattr_destroy(&attributes);
        ::posix_spawn_file_actions_destroy(&actions);
    }
    SpawnSettings(const SpawnSettings &) = delete;
    SpawnSettings &operator=(const SpawnSettings &) = delete;

    bool ready = false;
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;

private:
    // A session of its own, default signal handling and no blocked signals,
    // whatever this thread had.
    bool setAttributes()
    {
        sigset_t all;
        sigset_t none;
        ::sigfillset(&all);
        ::sigemptyset(&none);
        const short flags = POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
        return ::posix_spawnattr_setflags(&attributes, flags) == 0 &&
               ::posix_spawnattr_setsigdefault(&attributes, &all) == 0 &&
               ::posix_spawnattr_setsigmask(&attributes, &none) == 0;
    }
};

int exitCodeOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

class LinuxChildProcess final : public ChildProcess {
public:
    // Our copy of the output pipe's write end stays open with the child, so
    // the pipe never reports a hang-up while we still wait for it.
    LinuxChildProcess(pid_t pid, Descriptor &output, Descriptor &outputWriteEnd) : m_pid(pid)
    {
        m_output.reset(output.release());
        m_outputWriteEnd.reset(outputWriteEnd.release());
        // Readable once the child has ended: a wait learns the end at once.
        // Without it (a kernel before 5.3) waits look at the child every 25 ms.
        m_ended.reset(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    }

    int bytesWaiting() override
    {
        int waiting = 0;
        return ::ioctl(m_output.get(), FIONREAD, &waiting) == 0 ? waiting : 0;
    }

    void waitForOutput(int milliseconds) override { waitFor(true, milliseconds); }
    void waitForEnd(int milliseconds) override { waitFor(false, milliseconds); }

    qsizetype read(char *buffer, qsizetype size) override
    {
        ssize_t got;
        do {
            got = ::read(m_output.get(), buffer, static_cast<size_t>(size));
        } while (got < 0 && errno == EINTR);
        return got < 0 ? 0 : got;
    }

    bool running(int &exitCode) override
    {
        const QMutexLocker locker(&m_reaping);
        if (m_reaped) {
            exitCode = m_exitCode;
            return false;
        }
        int status = 0;
        pid_t result;
        do {
            result = ::waitpid(m_pid, &status, WNOHANG);
        } while (result < 0 && errno == EINTR);
        if (result == 0)
            return true;
        m_reaped = true;
        m_exitCode = result == m_pid ? exitCodeOf(status) : -1;
        exitCode = m_exitCode;
        return false;
    }

    void terminate() override { send(SIGTERM); }
    void kill() override { send(SIGKILL); }

private:
    void waitFor(bool output, int milliseconds)
    {
        if (m_ended.get() < 0) {
            pollfd watched{output ? m_output.get() : -1, POLLIN, 0};
            ::poll(&watched, 1, qMin(milliseconds, 25));
            return;
        }
        pollfd watched[2] = {{m_ended.get(), POLLIN, 0}, {output ? m_output.get() : -1, POLLIN, 0}};
        ::poll(watched, 2, milliseconds);
    }

    // Only a child not yet reaped is signalled: after the wait its id is free
    // for any new process.
    void send(int signalNumber)
    {
        const QMutexLocker locker(&m_reaping);
        if (!m_reaped)
            ::kill(m_pid, signalNumber);
    }

    pid_t m_pid;
    QMutex m_reaping;
    bool m_reaped = false;
    int m_exitCode = -1;
    Descriptor m_output;
    Descriptor m_outputWriteEnd;
    Descriptor m_ended; // the child's pidfd, or -1
};

} // namespace

std::unique_ptr<ChildProcess> startChildProcess(const QString &program, const QStringList &arguments,
                                                const QString &workingFolder)
{
    if (program.isEmpty())
        return nullptr;
    std::vector<QByteArray> words{QFile::encodeName(program)};
    for (const QString &argument : arguments)
        words.push_back(argument.toUtf8());
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    Descriptor inputRead, inputWrite, outputRead, outputWrite;
    if (!makePipe(inputRead, inputWrite) || !makePipe(outputRead, outputWrite))
        return nullptr;
    const SpawnSettings settings(inputRead.get(), outputWrite.get(), QFile::encodeName(workingFolder));
    pid_t pid = -1;
    // posix_spawn, not posix_spawnp: the program is run from its exact path.
    if (!settings.ready ||
        ::posix_spawn(&pid, argv.front(), &settings.actions, &settings.attributes, argv.data(), environ) != 0)
        return nullptr;
    // Nothing is ever written to the child: closing our input ends (on return)
    // makes a read of its input give end of file at once.
    return std::make_unique<LinuxChildProcess>(pid, outputRead, outputWrite);
}

} // namespace platform
