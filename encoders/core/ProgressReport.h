#pragma once

#include "TextLines.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace encoder {

// The figures of one report block of ffmpeg's "-progress" output.
struct ProgressFigures {
    std::int64_t frame = 0;
    double quality = 0.0;
    std::int64_t totalBytes = 0;
    std::optional<double> outputSeconds; // unknown until ffmpeg has written some output time
};

// Collects ffmpeg's "key=value" progress lines; every "progress=" line ends
// a block whose figures become the latest.
class ProgressReader {
public:
    // Takes the next bytes; returns how many blocks they completed.
    int feed(std::string_view bytes);
    const ProgressFigures &latest() const { return m_latest; }
    bool ended() const { return m_ended; }

private:
    void takeLine(std::string_view line);

    LineSplitter m_lines{512, "\n"};
    ProgressFigures m_pending;
    ProgressFigures m_latest;
    bool m_qualitySeen = false;
    bool m_ended = false;
    int m_completed = 0;
};

// The status line in the old layout, ended by a carriage return:
// "frame=%5d q=%.1f size=%8.0fkB time=%.2f bitrate=%6.1fkbits/s" with video,
// "size=%8.0fkB time=%.2f bitrate=%6.1fkbits/s" without. An unknown time
// reads 10000000000.00.
std::string statusLine(const ProgressFigures &figures, bool withVideo);

} // namespace encoder
