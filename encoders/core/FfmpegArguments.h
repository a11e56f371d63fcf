#pragma once

#include "AudioChoice.h"
#include "EncodeRequest.h"
#include "StreamChoice.h"

#include <string>
#include <vector>

namespace encoder {

// The media file ffmpeg reads, and for a script source the constant frame
// rate the script converts it to first (empty: keep the source's timing).
struct SourceSpec {
    std::string path;
    std::string constantRate;
};

// Where ffmpeg writes, and how it reaches the start of a trim.
struct FfmpegPlan {
    std::string outputUrl;
    // Gets ffmpeg's machine-readable progress reports twice a second; empty
    // for none.
    std::string progressUrl;
    // Seeking the input is fast, and exact because everything is re-encoded;
    // for inputs that cannot seek, ffmpeg decodes from the beginning instead
    // and drops what lies before the start.
    bool seekInput = true;
};

// ffmpeg's arguments (program name excluded) for the request: the options of
// the command line in ffmpeg's own terms. Its log comes with level tags at
// info level and above (see FfmpegLog).
// audio, video: the sound and the picture, when ffmpeg's own choice does not do.
std::vector<std::string> ffmpegArguments(const EncodeRequest &request, const SourceSpec &source, const FfmpegPlan &plan,
                                         const AudioSource &audio = {}, const VideoSource &video = {});

// A file path as an ffmpeg URL, so that names with ":" or a leading "-"
// are never read as protocols or options.
std::string fileUrl(const std::string &path);

} // namespace encoder
