#pragma once

#include "EncodeRequest.h"

#include <optional>
#include <string>
#include <vector>

namespace encoder {

// What the MPEG-4 video of one conversion is asked to be. Unset: the source's
// own size or rate, not known before ffmpeg opens it.
struct VideoTarget {
    int kbit = 0; // the asked average bitrate
    std::optional<int> width;
    std::optional<int> height;
    std::optional<double> framesPerSecond;
};

// The limits of one MPEG-4 Visual Simple Profile level that a stream's
// header can claim.
struct SimpleProfileLevel {
    int level;                // the level's number in the header (4 stands for 4a)
    int macroblocksPerFrame;  // largest frame, in 16x16 macroblocks
    int macroblocksPerSecond; // decoding rate
    int kbit;                 // peak bitrate, kbit/s
    int vbvBits;              // video buffer
};

// The lowest level whose frame size, macroblock rate and bitrate cover the
// target; the highest level when none does or the size or rate is unknown.
const SimpleProfileLevel &simpleProfileLevel(const VideoTarget &target);

// ffmpeg's options for its native MPEG-4 encoder (after the encoder choice):
// the average rate held by a video buffer that never lets the peak exceed
// the asked rate, so that the file is as big as asked; Simple Profile at the
// level that covers it, without B-frames.
std::vector<std::string> mpeg4RateControl(const VideoTarget &target);

// The target the request asks of the video; scriptRate is the constant rate
// a script source is converted to first (empty: none).
VideoTarget videoTargetOf(const EncodeRequest &request, const std::string &scriptRate);

} // namespace encoder
