#pragma once

#include "EncodeRequest.h"

#include <string>
#include <vector>

namespace encoder {

// Reads the encoder's arguments (program name excluded) in the layouts the
// command builder writes: options, "-i" with the input, the output path last.
// Throws EncoderError naming the first problem.
EncodeRequest parseCommandLine(const std::vector<std::string> &arguments);

} // namespace encoder
