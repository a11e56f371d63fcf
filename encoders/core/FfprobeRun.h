#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace encoder {

class SignalWatch;

struct FfprobeEnd {
    bool succeeded = false; // ffprobe was there and ended with exit code 0
    int signal = 0;         // a watched signal that stopped it
};

// Runs ffprobe (found beside ffmpegProgram, so that both come from one
// installation) on the arguments and hands its standard output to `take` as
// it arrives, until it ends or a watched signal stops it.
FfprobeEnd runFfprobe(const std::string &ffmpegProgram, const std::vector<std::string> &arguments, SignalWatch &signals,
                      const std::function<void(std::string_view)> &take);

} // namespace encoder
