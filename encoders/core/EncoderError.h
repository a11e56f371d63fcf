#pragma once

#include <stdexcept>
#include <string>

namespace encoder {

// A problem the encoder reports as one line on standard error before it exits
// with a non-zero code: bad options, unusable input or output, ffmpeg failing
// (then with ffmpeg's own exit code).
class EncoderError : public std::runtime_error {
public:
    explicit EncoderError(const std::string &message, int exitCode = 1)
        : std::runtime_error(message), m_exitCode(exitCode)
    {
    }
    int exitCode() const { return m_exitCode; }

private:
    int m_exitCode;
};

} // namespace encoder
