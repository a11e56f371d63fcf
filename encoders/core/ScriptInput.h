#pragma once

#include "FfmpegArguments.h"

#include <string>

namespace encoder {

// Reads the one-line DirectShowSource script at scriptPath and gives the
// source it names; a relative path counts from the script's folder. Throws
// EncoderError for a missing, unreadable or malformed script.
SourceSpec readScriptSource(const std::string &scriptPath);

} // namespace encoder
