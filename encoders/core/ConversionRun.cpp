#include "ConversionRun.h"

#include "EncoderError.h"
#include "FfmpegErrors.h"
#include "FfmpegProcess.h"
#include "PendingOutput.h"
#include "ProgressReport.h"
#include "SignalWatch.h"
#include "SourceCheck.h"
#include "StatusOutput.h"

#include <cerrno>
#include <chrono>
#include <poll.h>
#include <unistd.h>

namespace encoder {

namespace {

using Clock = std::chrono::steady_clock;

// ffmpeg reports twice a second; the same pace keeps the line fresh while it
// is still opening the input.
constexpr std::chrono::milliseconds statusPeriod{500};

// Reads what is waiting on a pipe; false once it has closed.
bool drain(int descriptor, std::string &into)
{
    char buffer[4096];
    const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
    if (got < 0)
        return errno == EINTR || errno == EAGAIN;
    into.assign(buffer, static_cast<std::size_t>(got));
    return got > 0;
}

class StatusPrinter {
public:
    explicit StatusPrinter(bool withVideo) : m_withVideo(withVideo) {}

    void print(const ProgressFigures &figures)
    {
        writeStatus(statusLine(figures, m_withVideo));
        m_printed = Clock::now();
    }

    void printIfQuiet(const ProgressFigures &figures)
    {
        if (Clock::now() - m_printed >= statusPeriod)
            print(figures);
    }

private:
    bool m_withVideo;
    Clock::time_point m_printed{};
};

// What one run of ffmpeg left: its figures, its log, and why it ended.
struct Attempt {
    ProgressReader progress;
    FfmpegLog log;
    int signal = 0;          // a signal asked the encoder to end
    bool seekFailed = false; // the input could not be seeked; ffmpeg was ended
    int exitCode = 0;
};

// Follows ffmpeg until both of its pipes have closed, a signal came, or
// (with stopOnSeekFailure) ffmpeg found that the input cannot be seeked.
void follow(FfmpegProcess &ffmpeg, SignalWatch &signals, StatusPrinter &printer, bool stopOnSeekFailure,
            Attempt &attempt)
{
    std::string chunk;
    while (ffmpeg.progressPipe() >= 0 || ffmpeg.errorPipe() >= 0) {
        pollfd descriptors[3] = {
            {ffmpeg.progressPipe(), POLLIN, 0}, {ffmpeg.errorPipe(), POLLIN, 0}, {signals.descriptor(), POLLIN, 0}};
        const int ready = ::poll(descriptors, 3, static_cast<int>(statusPeriod.count()));
        if (ready < 0 && errno != EINTR)
            break;
        if (descriptors[2].revents & POLLIN) {
            attempt.signal = signals.take();
            if (attempt.signal != 0)
                return;
        }
        if (descriptors[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            if (!drain(ffmpeg.progressPipe(), chunk))
                ffmpeg.closeProgressPipe();
            else if (attempt.progress.feed(chunk) > 0)
                printer.print(attempt.progress.latest());
        }
        if (descriptors[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            if (!drain(ffmpeg.errorPipe(), chunk))
                ffmpeg.closeErrorPipe();
            else
                attempt.log.feed(chunk);
            if (stopOnSeekFailure && attempt.log.seekFailed()) {
                attempt.seekFailed = true;
                return;
            }
        }
        printer.printIfQuiet(attempt.progress.latest());
    }
}

struct AttemptSetup {
    const std::string &program;
    std::vector<std::string> arguments;
    int outputFile;
    bool stopOnSeekFailure;
};

void runAttempt(const AttemptSetup &setup, SignalWatch &signals, StatusPrinter &printer, Attempt &attempt)
{
    FfmpegProcess ffmpeg;
    ffmpeg.start(setup.program, setup.arguments, setup.outputFile);
    follow(ffmpeg, signals, printer, setup.stopOnSeekFailure, attempt);
    if (attempt.signal != 0 || attempt.seekFailed)
        ffmpeg.kill();
    attempt.exitCode = ffmpeg.wait();
}

// ffmpeg ends successfully even when the start lies beyond the input's end;
// an output without a moment of media in it is no conversion.
bool encodedSomething(const ProgressFigures &figures)
{
    return figures.frame > 0 || (figures.outputSeconds && *figures.outputSeconds > 0.0);
}

} // namespace

int runConversion(const EncodeRequest &request, const SourceSpec &source)
{
    checkReadableFile(source.path, "input file");
    checkDistinct(source.path, request.output);
    const std::string program = locateFfmpeg();
    if (program.empty())
        throw EncoderError("ffmpeg was not found on this computer (install the ffmpeg package)");

    PendingOutput output(request.output, request.overwrite);
    SignalWatch signals;
    StatusPrinter printer(request.reportsVideo());
    printer.print(ProgressFigures{});
    FfmpegPlan plan{fileUrl(output.pathForChild(FfmpegProcess::outputDescriptor)),
                    "pipe:" + std::to_string(FfmpegProcess::progressDescriptor), true};
    const auto run = [&](bool seekInput) {
        plan.seekInput = seekInput;
        Attempt attempt;
        runAttempt({program, ffmpegArguments(request, source, plan), output.descriptor(), seekInput}, signals, printer,
                   attempt);
        return attempt;
    };
    Attempt attempt = run(true);
    if (attempt.seekFailed)
        attempt = run(false);
    if (attempt.signal != 0) {
        output.discard();
        signals.dieBy(attempt.signal);
    }
    writeStatus("\n");
    if (attempt.exitCode != 0)
        throw EncoderError(describeFailure(attempt.log.lastError(), source.path, attempt.exitCode), attempt.exitCode);
    if (!encodedSomething(attempt.progress.latest()))
        throw EncoderError("nothing was converted: the start time lies beyond the end of \"" + source.path + "\"");
    output.commit();
    return 0;
}

} // namespace encoder
