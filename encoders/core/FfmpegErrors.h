#pragma once

#include "InputListing.h"
#include "TextLines.h"

#include <string>
#include <string_view>

namespace encoder {

// Reads ffmpeg's log, written with "-loglevel level+info" so that every line
// carries its level, line by line: keeps the last error line, the input's
// stream listing, and the signs of what went wrong. Bounded, whatever ffmpeg
// prints.
class FfmpegLog {
public:
    void feed(std::string_view bytes);
    // The last line of level error or fatal, level tag and "file:" prefixes
    // removed; empty when there was none.
    const std::string &lastError() const { return m_lastError; }
    // The input could not be seeked: its timestamps then all lie before the
    // start, and nothing would be converted.
    bool seekFailed() const { return m_seekFailed; }
    // Why writing the output failed, as the system says it ("No space left
    // on device"); empty when every write succeeded. ffmpeg may still end
    // with success when only its last write failed.
    const std::string &writeFailure() const { return m_writeFailure; }
    // Why reading the input failed midway, as the system says it
    // ("Input/output error"); empty when every read succeeded. ffmpeg then
    // ends as if the input had ended there, with success.
    const std::string &readFailure() const { return m_readFailure; }
    // The first input's stream whose decoder could not be opened; -1: none.
    int undecodableStream() const { return m_undecodableStream; }
    // ffmpeg met damaged or missing data in the input.
    bool sawDamage() const { return m_sawDamage; }
    // The input is copy-protected: a stream's sample entry says so, or the
    // demuxer found the header of a protected ASF file.
    bool copyProtected() const;
    const InputListing &input() const { return m_input; }

private:
    void takeLine(std::string_view line);
    void takeProblem(const std::string &text);

    LineSplitter m_lines{1024, "\r\n"};
    std::string m_lastError;
    bool m_seekFailed = false;
    std::string m_writeFailure;
    std::string m_readFailure;
    int m_undecodableStream = -1;
    bool m_sawDamage = false;
    bool m_sawProtection = false;
    InputListing m_input;
};

// One line telling the user in plain words what went wrong.
std::string describeFailure(const FfmpegLog &log, const std::string &inputPath, int exitCode);

// One line telling where in the output reading the input failed, and why.
std::string describeReadFailure(const FfmpegLog &log, double outputSeconds);

} // namespace encoder
