#include "FfmpegAttempt.h"

#include "FfmpegProcess.h"
#include "PipeReading.h"
#include "SignalWatch.h"
#include "StatusOutput.h"
#include "StreamChoice.h"

#include <cerrno>
#include <poll.h>

namespace encoder {

namespace {

constexpr short readable = POLLIN | POLLHUP | POLLERR;

bool shouldEndEarly(const AttemptSetup &setup, Attempt &attempt)
{
    const InputListing &input = attempt.log.input();
    if (input.complete() && attempt.log.copyProtected())
        attempt.early = EarlyEnd::Protected;
    else if (setup.stopOnSeekFailure && attempt.log.seekFailed())
        attempt.early = EarlyEnd::SeekFailed;
    else if (setup.stopForStreamChoice && input.complete() && needsOwnStreamChoice(input, setup.withVideo))
        attempt.early = EarlyEnd::StreamChoice;
    return attempt.early != EarlyEnd::None;
}

// The planner's check of the complete listing, once per run.
bool listingEndsRun(const AttemptSetup &setup, Attempt &attempt, bool &checked)
{
    if (checked || !setup.checkListing || !attempt.log.input().complete())
        return false;
    checked = true;
    const ListingVerdict verdict = setup.checkListing(attempt.log.input());
    attempt.signal = verdict.signal;
    if (verdict.signal != 0)
        attempt.early = EarlyEnd::Signal;
    else if (verdict.replan)
        attempt.early = EarlyEnd::Replan;
    return attempt.early != EarlyEnd::None;
}

// Follows ffmpeg until both of its pipes have closed or a reason to end it
// early came up. The feeder's log is read on the way, so that it never
// stalls on a full pipe.
void follow(FfmpegProcess &ffmpeg, FfmpegProcess &feeder, const AttemptSetup &setup, SignalWatch &signals,
            StatusPrinter &printer, Attempt &attempt)
{
    std::string chunk;
    bool listingChecked = false;
    while (ffmpeg.progressPipe() >= 0 || ffmpeg.errorPipe() >= 0) {
        pollfd descriptors[4] = {{ffmpeg.progressPipe(), POLLIN, 0},
                                 {ffmpeg.errorPipe(), POLLIN, 0},
                                 {feeder.errorPipe(), POLLIN, 0},
                                 {signals.descriptor(), POLLIN, 0}};
        const int ready = ::poll(descriptors, 4, static_cast<int>(StatusPrinter::period.count()));
        if (ready < 0 && errno != EINTR)
            break;
        if (descriptors[3].revents & POLLIN) {
            attempt.signal = signals.take();
            if (attempt.signal != 0) {
                attempt.early = EarlyEnd::Signal;
                return;
            }
        }
        if (descriptors[0].revents & readable) {
            if (!readChunk(ffmpeg.progressPipe(), chunk))
                ffmpeg.closeProgressPipe();
            else if (attempt.progress.feed(chunk) > 0)
                printer.print(attempt.progress.latest());
        }
        if (descriptors[1].revents & readable) {
            if (!readChunk(ffmpeg.errorPipe(), chunk))
                ffmpeg.closeErrorPipe();
            else
                attempt.log.feed(chunk);
            if (shouldEndEarly(setup, attempt) || listingEndsRun(setup, attempt, listingChecked))
                return;
        }
        if (descriptors[2].revents & readable) {
            if (!readChunk(feeder.errorPipe(), chunk))
                feeder.closeErrorPipe();
            else
                attempt.feederLog.feed(chunk);
        }
        printer.printIfQuiet(attempt.progress.latest());
    }
}

// Starts the feeder, when there is one, with its standard output on a pipe;
// returns the pipe's reading end for ffmpeg's standard input (-1: none).
int startFeeder(const AttemptSetup &setup, FfmpegProcess &feeder)
{
    if (setup.feederArguments.empty())
        return -1;
    PipeEnds sound = makePipeEnds();
    try {
        feeder.start(setup.program, setup.feederArguments, {-1, sound.write, -1});
    } catch (...) {
        closePipeEnd(sound.read);
        closePipeEnd(sound.write);
        throw;
    }
    closePipeEnd(sound.write);
    return sound.read;
}

} // namespace

Attempt runAttempt(const AttemptSetup &setup, SignalWatch &signals, StatusPrinter &printer)
{
    Attempt attempt;
    FfmpegProcess feeder;
    FfmpegProcess ffmpeg;
    int sound = startFeeder(setup, feeder);
    try {
        ffmpeg.start(setup.program, setup.arguments, {sound, -1, setup.outputFile});
    } catch (...) {
        closePipeEnd(sound);
        throw;
    }
    closePipeEnd(sound);
    follow(ffmpeg, feeder, setup, signals, printer, attempt);
    if (attempt.early != EarlyEnd::None)
        ffmpeg.kill();
    attempt.exitCode = ffmpeg.wait();
    // ffmpeg has all the sound it wanted (or has failed): the feeder may stop.
    feeder.kill();
    feeder.wait();
    return attempt;
}

} // namespace encoder
