#pragma once

// A picture's own orientation: the display-orientation message that H.264
// and HEVC pictures may carry instead of a matrix in the container. ffmpeg
// turns only the pictures that carry it (cameras send it with the first one)
// and shows the rest as stored, so the encoders read the first picture's,
// turn every picture by it themselves and switch ffmpeg's turning off. The
// preview follows the first picture's message the same way.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace encoder {

class SignalWatch;

struct Orientation {
    int clockwise = 0;     // degrees turned clockwise first: 0, 90, 180 or 270
    bool mirrored = false; // then left and right swapped

    bool operator==(const Orientation &) const = default;
};

// Whether pictures of the codec (ffmpeg's name, "h264") can carry their own.
bool mayCarryOrientation(std::string_view codec);

// A display matrix in libavutil's layout, row by row, to the nearest quarter
// turn; a matrix that turns nothing reads as upright.
Orientation orientationOfMatrix(const std::array<double, 9> &matrix);

// The first display matrix in ffprobe's compact listing of a picture's side
// data ("frame|side_data|displaymatrix=\n00000000:  0  -65536  0\n..."), as
// an orientation; nothing when the listing holds no readable matrix.
std::optional<Orientation> readOwnOrientation(std::string_view listing);

// ffmpeg video filters that show a stored picture as the orientation says;
// empty for an upright one.
std::string orientationFilters(const Orientation &orientation);

struct OrientationProbe {
    std::optional<Orientation> orientation; // the first picture's own, if it has one
    int signal = 0;                         // a watched signal that stopped the reading
};

// The orientation the first picture of the input's stream carries, decoded by
// ffprobe found beside ffmpeg; none when it carries none or cannot be read.
OrientationProbe probeOwnOrientation(const std::string &ffmpegProgram, const std::string &inputPath, int stream,
                                     SignalWatch &signals);

} // namespace encoder
