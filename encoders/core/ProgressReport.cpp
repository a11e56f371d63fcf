#include "ProgressReport.h"

#include <charconv>
#include <cstdio>

namespace encoder {

namespace {

constexpr double unknownTime = 10000000000.0;

template <typename Number> std::optional<Number> number(std::string_view text)
{
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool isStreamQuality(std::string_view key)
{
    return key.starts_with("stream_") && key.ends_with("_q");
}

} // namespace

int ProgressReader::feed(std::string_view bytes)
{
    m_completed = 0;
    // A line cut short would be read as a wrong figure: it is left out.
    m_lines.feed(bytes, [this](std::string_view line, bool cutShort) {
        if (!cutShort)
            takeLine(line);
    });
    return m_completed;
}

void ProgressReader::takeLine(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return;
    const std::string_view key = line.substr(0, equals);
    const std::string_view value = line.substr(equals + 1);
    if (key == "frame") {
        m_pending.frame = number<std::int64_t>(value).value_or(m_pending.frame);
    } else if (isStreamQuality(key) && !m_qualitySeen) {
        // The first video stream's quantizer, as the old status line showed.
        m_pending.quality = number<double>(value).value_or(m_pending.quality);
        m_qualitySeen = true;
    } else if (key == "total_size") {
        m_pending.totalBytes = number<std::int64_t>(value).value_or(m_pending.totalBytes);
    } else if (key == "out_time_us") {
        if (const auto micro = number<std::int64_t>(value))
            m_pending.outputSeconds = *micro > 0 ? static_cast<double>(*micro) / 1e6 : 0.0;
    } else if (key == "progress") {
        m_latest = m_pending;
        m_qualitySeen = false;
        m_ended = m_ended || value == "end";
        ++m_completed;
    }
}

std::string statusLine(const ProgressFigures &figures, bool withVideo)
{
    const double kilobytes = static_cast<double>(figures.totalBytes) / 1024.0;
    const double seconds = figures.outputSeconds.value_or(unknownTime);
    const double kilobitsPerSecond =
        figures.outputSeconds && *figures.outputSeconds > 0.0
            ? static_cast<double>(figures.totalBytes) * 8.0 / *figures.outputSeconds / 1000.0
            : 0.0;
    char line[160];
    int length = 0;
    if (withVideo)
        length = std::snprintf(line, sizeof line, "frame=%5lld q=%.1f size=%8.0fkB time=%.2f bitrate=%6.1fkbits/s\r",
                               static_cast<long long>(figures.frame), figures.quality, kilobytes, seconds,
                               kilobitsPerSecond);
    else
        length = std::snprintf(line, sizeof line, "size=%8.0fkB time=%.2f bitrate=%6.1fkbits/s\r", kilobytes, seconds,
                               kilobitsPerSecond);
    if (length < 0)
        return {};
    return std::string(line, static_cast<std::size_t>(length) < sizeof line ? static_cast<std::size_t>(length)
                                                                            : sizeof line - 1);
}

} // namespace encoder
