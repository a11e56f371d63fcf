#include "OwnOrientation.h"

#include "FfmpegArguments.h"
#include "FfprobeRun.h"
#include "TextLines.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

namespace encoder {

namespace {

constexpr std::string_view matrixKey = "displaymatrix=";

// The matrix's nine numbers from ffprobe's escaped rows, each row led by its
// offset ("\n00000000:      0  -65536  0\n00000001: ..."); the value ends at
// the next field.
std::optional<std::array<double, 9>> matrixIn(std::string_view listing)
{
    const std::size_t key = listing.find(matrixKey);
    if (key == std::string_view::npos)
        return std::nullopt;
    std::string value(listing.substr(key + matrixKey.size()));
    value.resize(std::min(value.find_first_of("|\r\n"), value.size()));
    // The escaped line breaks separate numbers as blanks do.
    for (std::size_t at = value.find("\\n"); at != std::string::npos; at = value.find("\\n", at))
        value.replace(at, 2, "  ");
    std::array<double, 9> matrix{};
    std::size_t count = 0;
    for (const std::string_view token : splitAt(value, ' ')) {
        if (count == matrix.size())
            break;
        if (token.empty() || token.ends_with(':'))
            continue;
        long long number = 0;
        const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), number);
        if (error != std::errc() || end != token.data() + token.size())
            return std::nullopt;
        matrix[count++] = static_cast<double>(number);
    }
    if (count != matrix.size())
        return std::nullopt;
    return matrix;
}

} // namespace

bool mayCarryOrientation(std::string_view codec)
{
    return codec == "h264" || codec == "hevc";
}

Orientation orientationOfMatrix(const std::array<double, 9> &matrix)
{
    // A mirror reverses the sense of turning: the determinant is negative.
    // libavutil mirrors by negating the first column after the turn, so
    // negating it again leaves the turn alone.
    Orientation orientation;
    orientation.mirrored = matrix[0] * matrix[4] - matrix[1] * matrix[3] < 0;
    const double sign = orientation.mirrored ? -1.0 : 1.0;
    const double first = std::hypot(matrix[0], matrix[3]);
    const double second = std::hypot(matrix[1], matrix[4]);
    if (first == 0.0 || second == 0.0)
        return {};
    const double clockwise = std::atan2(matrix[1] / second, sign * matrix[0] / first);
    const long quarterTurns = std::lround(clockwise / (std::numbers::pi / 2));
    orientation.clockwise = static_cast<int>(((quarterTurns % 4) + 4) % 4) * 90;
    return orientation;
}

std::optional<Orientation> readOwnOrientation(std::string_view listing)
{
    const std::optional<std::array<double, 9>> matrix = matrixIn(listing);
    if (!matrix)
        return std::nullopt;
    return orientationOfMatrix(*matrix);
}

std::string orientationFilters(const Orientation &orientation)
{
    std::string chain;
    if (orientation.clockwise == 90)
        chain = "transpose=clock";
    else if (orientation.clockwise == 180)
        chain = "hflip,vflip";
    else if (orientation.clockwise == 270)
        chain = "transpose=cclock";
    if (orientation.mirrored)
        chain += chain.empty() ? "hflip" : ",hflip";
    return chain;
}

OrientationProbe probeOwnOrientation(const std::string &ffmpegProgram, const std::string &inputPath, int stream,
                                     SignalWatch &signals)
{
    // The first packet alone: the message comes with the first picture, and
    // the decoder is drained at the end, so that picture always comes out.
    std::string listing;
    const FfprobeEnd end =
        runFfprobe(ffmpegProgram,
                   {"-v", "error", "-select_streams", std::to_string(stream), "-read_intervals", "%+#1",
                    "-show_entries", "frame_side_data=displaymatrix", "-of", "compact", fileUrl(inputPath)},
                   signals, [&listing](std::string_view chunk) {
                       // One picture's side data; more is not ffprobe's listing of it.
                       if (listing.size() < 4096)
                           listing.append(chunk);
                   });
    OrientationProbe probe;
    probe.signal = end.signal;
    if (end.succeeded)
        probe.orientation = readOwnOrientation(listing);
    return probe;
}

} // namespace encoder
