#pragma once

#include <string>

namespace encoder {

// Throws EncoderError unless path is a regular file this process can read.
// what names it in the message ("input file", "script").
void checkReadableFile(const std::string &path, const std::string &what);

// Throws EncoderError when the output would be the input file itself.
void checkDistinct(const std::string &inputPath, const std::string &outputPath);

} // namespace encoder
