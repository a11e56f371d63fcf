#pragma once

#include "ProgressReport.h"

#include <chrono>
#include <string_view>

namespace encoder {

// Writes text to standard output at once, unbuffered. A reader that has gone
// away is ignored: the encode goes on without anyone watching.
void writeStatus(std::string_view text);

// Prints the status lines: on every new report, and at ffmpeg's pace while
// none comes (opening the input takes a while).
class StatusPrinter {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds period{500};

    explicit StatusPrinter(bool withVideo) : m_withVideo(withVideo) {}

    void print(const ProgressFigures &figures);
    void printIfQuiet(const ProgressFigures &figures);

private:
    bool m_withVideo;
    Clock::time_point m_printed{};
};

} // namespace encoder
