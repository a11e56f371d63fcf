#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace encoder {

// Finds "ffmpeg" in the folders of PATH; empty when it is not there.
std::string locateFfmpeg();

// The executable `name` in the folder of `program` ("ffprobe" beside the
// ffmpeg found), so that both come from one installation; empty when it is
// not there.
std::string programBeside(const std::string &program, const std::string &name);

// Where a child's standard input and output go (-1: /dev/null), and the file
// it reaches as FfmpegProcess::outputDescriptor (-1: none).
struct ChildIo {
    int input = -1;
    int output = -1;
    int outputFile = -1;
};

// ffmpeg running as a child that dies with this process: it gets SIGKILL as
// its parent-death signal, so killing the encoder never leaves an orphaned
// engine writing on. Its standard error and its progress reports (written to
// descriptor progressDescriptor, "pipe:3") arrive on two pipes.
class FfmpegProcess {
public:
    static constexpr int progressDescriptor = 3;
    static constexpr int outputDescriptor = 4;

    FfmpegProcess() = default;
    ~FfmpegProcess();
    FfmpegProcess(const FfmpegProcess &) = delete;
    FfmpegProcess &operator=(const FfmpegProcess &) = delete;

    // Starts program with the arguments and the descriptors of io. Throws
    // EncoderError when it cannot start.
    void start(const std::string &program, const std::vector<std::string> &arguments, const ChildIo &io = {});

    pid_t pid() const { return m_pid; }
    int progressPipe() const { return m_progress; }
    int errorPipe() const { return m_errors; }
    void closeProgressPipe();
    void closeErrorPipe();

    void kill();
    // Waits for the end; returns the exit code, or 128 + the signal number.
    int wait();

private:
    pid_t m_pid = -1;
    int m_progress = -1;
    int m_errors = -1;
};

} // namespace encoder
