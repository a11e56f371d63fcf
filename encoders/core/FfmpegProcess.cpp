#include "FfmpegProcess.h"

#include "EncoderError.h"
#include "PipeReading.h"
#include "TextLines.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace encoder {

namespace {

// Descriptors at or above this number are free for the shuffle in the child.
constexpr int scratchDescriptor = 10;

bool isExecutableFile(const std::string &path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

[[noreturn]] void failInChild(int report)
{
    const int error = errno;
    [[maybe_unused]] const ssize_t written = ::write(report, &error, sizeof error);
    ::_exit(127);
}

// Runs in the forked child: only async-signal-safe calls from here on.
// A copy of descriptor at or above the scratch number, or the null device
// where there is none to copy.
int scratchCopy(int descriptor, int nullDevice)
{
    return ::fcntl(descriptor >= 0 ? descriptor : nullDevice, F_DUPFD_CLOEXEC, scratchDescriptor);
}

[[noreturn]] void becomeFfmpeg(char *const *argv, pid_t parent, const PipeEnds &errors, const PipeEnds &progress,
                               const ChildIo &io, int report)
{
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    // Ignored signals would stay ignored across exec.
    ::signal(SIGPIPE, SIG_DFL);
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent)
        failInChild(report);

    const int nullDevice = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    const int inputEnd = scratchCopy(io.input, nullDevice);
    const int outputEnd = scratchCopy(io.output, nullDevice);
    const int errorsEnd = ::fcntl(errors.write, F_DUPFD_CLOEXEC, scratchDescriptor);
    const int progressEnd = ::fcntl(progress.write, F_DUPFD_CLOEXEC, scratchDescriptor);
    const int fileEnd = io.outputFile >= 0 ? ::fcntl(io.outputFile, F_DUPFD_CLOEXEC, scratchDescriptor) : -1;
    const int reportEnd = ::fcntl(report, F_DUPFD_CLOEXEC, scratchDescriptor);
    if (nullDevice < 0 || inputEnd < 0 || outputEnd < 0 || errorsEnd < 0 || progressEnd < 0 || reportEnd < 0 ||
        (io.outputFile >= 0 && fileEnd < 0))
        failInChild(report);
    if (::dup2(inputEnd, STDIN_FILENO) < 0 || ::dup2(outputEnd, STDOUT_FILENO) < 0 ||
        ::dup2(errorsEnd, STDERR_FILENO) < 0 || ::dup2(progressEnd, FfmpegProcess::progressDescriptor) < 0 ||
        (fileEnd >= 0 && ::dup2(fileEnd, FfmpegProcess::outputDescriptor) < 0))
        failInChild(reportEnd);
    // Nothing else of this process reaches ffmpeg, the report pipe aside,
    // which closes itself on exec.
    const unsigned firstFree = FfmpegProcess::outputDescriptor + 1;
    if (static_cast<unsigned>(reportEnd) > firstFree)
        ::close_range(firstFree, static_cast<unsigned>(reportEnd) - 1, 0);
    ::close_range(static_cast<unsigned>(reportEnd) + 1, ~0U, 0);
    ::execv(argv[0], argv);
    failInChild(reportEnd);
}

} // namespace

std::string locateFfmpeg()
{
    const char *path = std::getenv("PATH");
    const std::string_view folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    for (const std::string_view folder : splitAt(folders, ':')) {
        const std::string candidate = (folder.empty() ? std::string(".") : std::string(folder)) + "/ffmpeg";
        if (isExecutableFile(candidate))
            return candidate;
    }
    return {};
}

std::string programBeside(const std::string &program, const std::string &name)
{
    const std::size_t slash = program.rfind('/');
    const std::string path = (slash == std::string::npos ? std::string() : program.substr(0, slash + 1)) + name;
    return isExecutableFile(path) ? path : std::string();
}

FfmpegProcess::~FfmpegProcess()
{
    if (m_pid > 0) {
        kill();
        wait();
    }
    closeProgressPipe();
    closeErrorPipe();
}

void FfmpegProcess::start(const std::string &program, const std::vector<std::string> &arguments, const ChildIo &io)
{
    std::vector<char *> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char *>(program.c_str()));
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);

    PipeEnds errors = makePipeEnds();
    PipeEnds progress = makePipeEnds();
    PipeEnds report = makePipeEnds();
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child == 0)
        becomeFfmpeg(argv.data(), parent, errors, progress, io, report.write);
    const int forkError = errno;
    closePipeEnd(errors.write);
    closePipeEnd(progress.write);
    closePipeEnd(report.write);
    m_errors = errors.read;
    m_progress = progress.read;
    if (child < 0) {
        closePipeEnd(report.read);
        throw EncoderError(std::string("cannot start ffmpeg: ") + std::strerror(forkError));
    }
    m_pid = child;

    // The report pipe closes on a successful exec; otherwise it brings errno.
    int childError = 0;
    ssize_t got = 0;
    do {
        got = ::read(report.read, &childError, sizeof childError);
    } while (got < 0 && errno == EINTR);
    closePipeEnd(report.read);
    if (got == static_cast<ssize_t>(sizeof childError)) {
        wait();
        throw EncoderError("cannot start " + program + ": " + std::strerror(childError));
    }
}

void FfmpegProcess::closeProgressPipe()
{
    closePipeEnd(m_progress);
}

void FfmpegProcess::closeErrorPipe()
{
    closePipeEnd(m_errors);
}

void FfmpegProcess::kill()
{
    if (m_pid > 0)
        ::kill(m_pid, SIGKILL);
}

int FfmpegProcess::wait()
{
    if (m_pid <= 0)
        return -1;
    int status = 0;
    pid_t done = 0;
    do {
        done = ::waitpid(m_pid, &status, 0);
    } while (done < 0 && errno == EINTR);
    m_pid = -1;
    if (done < 0)
        return 1;
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

} // namespace encoder
