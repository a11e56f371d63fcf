#pragma once

#include "TextLines.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace encoder {

class SignalWatch;

// The stretch of the input's time line that a stream's packets cover, in
// seconds from the input's start (where ffmpeg's -ss counts from).
struct Extent {
    double first = 0.0;
    double end = 0.0;
    std::vector<double> times{}; // each packet's, in the order read; a video stream's frames
};

// Reads ffprobe's compact listing of packets and of the format's start time
// ("packet|stream_index=1|pts_time=0.02|dts_time=0.02|duration_time=0.02|…",
// "format|start_time=0.000000"), line by line.
class ExtentReader {
public:
    void feed(std::string_view bytes);
    // Every stream that had a packet with a time, by stream index.
    std::map<int, Extent> extents() const;

private:
    void takeLine(std::string_view line);

    LineSplitter m_lines{1024, "\n"};
    std::map<int, Extent> m_raw;
    double m_start = 0.0;
};

struct ExtentScan {
    std::map<int, Extent> extents; // empty when the input could not be read
    int signal = 0;                // a watched signal that stopped the reading
};

// What the first input's streams cover, read by ffprobe (found beside
// ffmpeg) from every packet: the streams' own length claims can be wrong in
// files cut short.
ExtentScan scanExtents(const std::string &ffmpegProgram, const std::string &inputPath, SignalWatch &signals);

} // namespace encoder
