#pragma once

#include "FfmpegErrors.h"
#include "ProgressReport.h"

#include <functional>
#include <string>
#include <vector>

namespace encoder {

class InputListing;
class SignalWatch;
class StatusPrinter;

// What the planner says once ffmpeg has listed the input: go on, end the run
// for another plan, or end it for a watched signal that came meanwhile.
struct ListingVerdict {
    bool replan = false;
    int signal = 0;
};

// One run of ffmpeg, with a feeder ffmpeg on its standard input where the
// sound comes through one.
struct AttemptSetup {
    std::string program;
    std::vector<std::string> arguments;
    std::vector<std::string> feederArguments; // empty: no feeder
    int outputFile = -1;
    bool stopOnSeekFailure = false;   // end it once ffmpeg finds the input cannot seek
    bool stopForStreamChoice = false; // end it once the input's listing asks for an own stream choice
    bool withVideo = true;            // the output has a picture
    // Asked once, when the listing is complete and no reason above ended the
    // run; ffmpeg goes on converting meanwhile. Unset: the run goes on.
    std::function<ListingVerdict(const InputListing &)> checkListing;
};

// Why a run was ended before ffmpeg finished on its own. Protected: the log
// shows a copy-protected input, which cannot be converted. Replan: the
// listing's check asked for another plan.
enum class EarlyEnd { None, Signal, SeekFailed, StreamChoice, Protected, Replan };

// What one run left: its figures, its log, and how it ended.
struct Attempt {
    ProgressReader progress;
    FfmpegLog log;
    FfmpegLog feederLog;
    EarlyEnd early = EarlyEnd::None;
    int signal = 0; // the signal that asked the encoder to end
    int exitCode = 0;
};

// Runs ffmpeg (and its feeder) and prints the status lines until it ends or
// is ended early; ffmpeg and the feeder are gone when it returns.
Attempt runAttempt(const AttemptSetup &setup, SignalWatch &signals, StatusPrinter &printer);

} // namespace encoder
