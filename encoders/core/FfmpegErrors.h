#pragma once

#include <string>
#include <string_view>

namespace encoder {

// Reads ffmpeg's log, written with "-loglevel level+warning" so that every
// line carries its level, line by line: keeps the last error line and notes
// whether seeking the input failed. Bounded, whatever ffmpeg prints.
class FfmpegLog {
public:
    void feed(std::string_view bytes);
    // The last line of level error or fatal, level tag and "file:" prefixes
    // removed; empty when there was none.
    const std::string &lastError() const { return m_lastError; }
    // The input could not be seeked: its timestamps then all lie before the
    // start, and nothing would be converted.
    bool seekFailed() const { return m_seekFailed; }

private:
    void takeLine(std::string_view line);

    static constexpr std::size_t longestLine = 1024;
    std::string m_line;
    std::string m_lastError;
    bool m_seekFailed = false;
};

// One line telling the user what went wrong, from ffmpeg's last error line.
std::string describeFailure(const std::string &ffmpegError, const std::string &inputPath, int exitCode);

} // namespace encoder
