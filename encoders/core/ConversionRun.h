#pragma once

#include "EncodeRequest.h"
#include "FfmpegArguments.h"

namespace encoder {

// Runs the conversion through ffmpeg and prints the status lines until ffmpeg
// ends. Returns 0 once the output is in place; throws EncoderError (with
// ffmpeg's exit code where ffmpeg failed) when no output could be made, also
// when a write of the output failed though ffmpeg ended with success, and
// leaves no output behind then. SIGTERM, SIGINT or SIGHUP end ffmpeg and then
// the encoder by the same signal.
int runConversion(const EncodeRequest &request, const SourceSpec &source);

} // namespace encoder
