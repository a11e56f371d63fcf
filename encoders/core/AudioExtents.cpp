#include "AudioExtents.h"

#include "FfmpegArguments.h"
#include "FfprobeRun.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <vector>

namespace encoder {

namespace {

std::optional<double> secondsIn(std::string_view text)
{
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// The value after "key=" among the "|"-separated fields; empty when absent.
std::string_view field(std::string_view line, std::string_view key)
{
    for (const std::string_view piece : splitAt(line, '|')) {
        if (piece.size() > key.size() && piece.starts_with(key) && piece[key.size()] == '=')
            return piece.substr(key.size() + 1);
    }
    return {};
}

} // namespace

void ExtentReader::feed(std::string_view bytes)
{
    m_lines.feed(bytes, [this](std::string_view line, bool) { takeLine(line); });
}

void ExtentReader::takeLine(std::string_view line)
{
    if (line.starts_with("format|")) {
        m_start = secondsIn(field(line, "start_time")).value_or(0.0);
        return;
    }
    if (!line.starts_with("packet|"))
        return;
    int stream = -1;
    const std::string_view index = field(line, "stream_index");
    if (std::from_chars(index.data(), index.data() + index.size(), stream).ec != std::errc())
        return;
    std::optional<double> time = secondsIn(field(line, "pts_time"));
    if (!time)
        time = secondsIn(field(line, "dts_time"));
    if (!time)
        return;
    const double end = *time + std::max(0.0, secondsIn(field(line, "duration_time")).value_or(0.0));
    const auto [at, added] = m_raw.try_emplace(stream, Extent{*time, end});
    if (!added) {
        at->second.first = std::min(at->second.first, *time);
        at->second.end = std::max(at->second.end, end);
    }
    at->second.times.push_back(*time);
}

std::map<int, Extent> ExtentReader::extents() const
{
    std::map<int, Extent> shifted;
    for (const auto &[stream, extent] : m_raw) {
        Extent &moved = shifted[stream];
        moved = {extent.first - m_start, extent.end - m_start, extent.times};
        for (double &time : moved.times)
            time -= m_start;
    }
    return shifted;
}

ExtentScan scanExtents(const std::string &ffmpegProgram, const std::string &inputPath, SignalWatch &signals)
{
    ExtentReader reader;
    const FfprobeEnd end = runFfprobe(ffmpegProgram,
                                      {"-v", "error", "-show_entries",
                                       "packet=stream_index,pts_time,dts_time,duration_time:format=start_time", "-of",
                                       "compact", fileUrl(inputPath)},
                                      signals, [&reader](std::string_view chunk) { reader.feed(chunk); });
    ExtentScan result;
    result.signal = end.signal;
    if (end.succeeded)
        result.extents = reader.extents();
    return result;
}

} // namespace encoder
