#include "Code/AdvanceSystem.h"

#include "Code/CommandLine.h"
#include "Code/ProgramFolder.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr qsizetype readBlockSize = 1023;
constexpr unsigned long pauseAfterDeliveryMs = 500;
// How long one wait for output may last before the child is looked at again.
constexpr int outputWaitMs = 25;

// A file descriptor closed when it goes out of scope.
class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd(fd) {}
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor() { reset(); }

    int get() const { return fd; }
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

struct ProgramCall {
    QString program;
    QStringList arguments;
};

// Like Windows with an unquoted program path holding blanks: when the first
// word names no file, the following words are joined on with single blanks,
// shortest first, until the text names an existing file.
bool findProgram(const QStringList &words, ProgramCall &call)
{
    QString candidate;
    for (qsizetype used = 0; used < words.size(); ++used) {
        candidate += (used == 0 ? QString() : QStringLiteral(" ")) + words.at(used);
        const QFileInfo info(candidate);
        if (info.isFile()) {
            // Absolute, because the child changes its folder before it starts.
            call.program = info.absoluteFilePath();
            call.arguments = words.mid(used + 1);
            return true;
        }
    }
    return false;
}

QByteArray workingFolder()
{
    QString folder = ProgramFolder();
    if (folder.size() > 1 && folder.endsWith(PathSeparator()))
        folder.chop(1);
    return QFile::encodeName(folder);
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

pid_t spawnProgram(const ProgramCall &call, int input, int output)
{
    std::vector<QByteArray> words{QFile::encodeName(call.program)};
    for (const QString &argument : call.arguments)
        words.push_back(argument.toUtf8());
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    const SpawnSettings settings(input, output, workingFolder());
    if (!settings.ready)
        return -1;
    pid_t pid = -1;
    if (::posix_spawn(&pid, argv.front(), &settings.actions, &settings.attributes, argv.data(), environ) != 0)
        return -1;
    return pid;
}

int exitCodeOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

// True while the child runs; once it has ended, its exit code is stored.
bool childRunning(pid_t pid, int &exitCode)
{
    int status = 0;
    pid_t result;
    do {
        result = ::waitpid(pid, &status, WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == 0)
        return true;
    exitCode = result == pid ? exitCodeOf(status) : -1;
    return false;
}

int bytesWaiting(int fd)
{
    int waiting = 0;
    if (::ioctl(fd, FIONREAD, &waiting) != 0)
        return 0;
    return waiting;
}

// Sleeps until output arrives or a short while has passed.
void waitForOutput(int fd)
{
    pollfd watched{fd, POLLIN, 0};
    ::poll(&watched, 1, outputWaitMs);
}

qsizetype readSome(int fd, char *buffer, qsizetype size)
{
    ssize_t got;
    do {
        got = ::read(fd, buffer, static_cast<size_t>(size));
    } while (got < 0 && errno == EINTR);
    return got < 0 ? 0 : got;
}

// Reads what is waiting in blocks of 1023 bytes and keeps only the last block:
// older status text is of no use once newer text is there. Reads only bytes
// known to be waiting, so it never blocks.
QByteArray readNewestBlock(int fd, qsizetype waiting)
{
    QByteArray block(readBlockSize, '\0');
    qsizetype got = readSome(fd, block.data(), readBlockSize);
    qsizetype remaining = waiting - got;
    while (got == readBlockSize && remaining > 0) {
        got = readSome(fd, block.data(), readBlockSize);
        remaining -= got;
    }
    block.truncate(got);
    return block;
}

QString chunkText(const QByteArray &block)
{
    const qsizetype zero = block.indexOf('\0');
    return QString::fromUtf8(zero < 0 ? block : block.left(zero));
}

// Delivers output until the child has ended; the pass that first sees it
// ended still delivers what was left waiting.
int deliverOutputUntilEnd(pid_t pid, int output, const TEncoderOutputHandler &onOutput)
{
    int exitCode = -1;
    bool running;
    do {
        running = childRunning(pid, exitCode);
        const int waiting = bytesWaiting(output);
        if (waiting <= 0) {
            if (running)
                waitForOutput(output);
            continue;
        }
        const QString chunk = chunkText(readNewestBlock(output, waiting));
        if (onOutput)
            onOutput(chunk);
        QThread::msleep(pauseAfterDeliveryMs);
    } while (running);
    return exitCode;
}

} // namespace

bool RunEncoderProcess(const QString &commandLine, const TEncoderOutputHandler &onOutput, int *exitCode)
{
    ProgramCall call;
    if (!findProgram(SplitCommandLine(commandLine), call))
        return false;
    Descriptor inputRead, inputWrite, outputRead, outputWrite;
    if (!makePipe(inputRead, inputWrite) || !makePipe(outputRead, outputWrite))
        return false;
    const pid_t pid = spawnProgram(call, inputRead.get(), outputWrite.get());
    if (pid < 0)
        return false;
    // Nothing is ever written to the encoder: closing our end makes a read of
    // its input end at once instead of waiting forever. Our copy of the output
    // pipe's write end stays open, so the pipe never reports a hang-up.
    inputRead.reset();
    inputWrite.reset();
    const int code = deliverOutputUntilEnd(pid, outputRead.get(), onOutput);
    if (exitCode)
        *exitCode = code;
    return true;
}

TAdvanceSystem::TAdvanceSystem(const QString &commandLine, TEncoderOutputHandler onOutput, QObject *parent)
    : QThread(parent), CommandLine(commandLine), OnOutput(std::move(onOutput))
{
}

TAdvanceSystem::~TAdvanceSystem()
{
    wait();
}

void TAdvanceSystem::Resume()
{
    start();
}

void TAdvanceSystem::run()
{
    int code = -1;
    const bool started = RunEncoderProcess(CommandLine, OnOutput, &code);
    exitCode.store(code);
    encoderStarted.store(started);
}
