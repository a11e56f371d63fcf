#include "VideoRateControl.h"

#include "FrameRate.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace encoder {

namespace {

// ISO/IEC 14496-2 Simple Profile, levels 1 to 6 (level 0 adds constraints
// on intra coding that the encoder does not keep). Buffers are in units of
// 16384 bits.
constexpr int vbvUnit = 16384;
constexpr std::array<SimpleProfileLevel, 6> levels{{
    {1, 99, 1485, 64, 10 * vbvUnit},
    {2, 396, 5940, 128, 40 * vbvUnit},
    {3, 396, 11880, 384, 40 * vbvUnit},
    {4, 1200, 36000, 4000, 80 * vbvUnit},
    {5, 1620, 40500, 8000, 112 * vbvUnit},
    {6, 3600, 108000, 12000, 248 * vbvUnit},
}};

// ffmpeg's own average when no rate is asked.
constexpr int defaultKbit = 200;
// The buffer holds this many seconds of the asked rate, within the level's:
// room for a scene change without starving the frames around it.
constexpr int bufferSeconds = 2;
// A key frame every second. Longer distances save bits on calm pictures but
// let the error on grainy ones build up until the next key frame, which at
// the same bitrate costs more than the key frames do.
constexpr double keyFrameSeconds = 1.0;
// A frame rate assumed for the key frame distance when it is not known.
constexpr double assumedFramesPerSecond = 30.0;
// The coarsest quantiser MPEG-4 has, and ffmpeg's largest Lagrange factor:
// with trellis quantisation a larger factor still saves bits once the
// quantiser is at its coarsest, so the lowest rates can still be held.
constexpr int coarsestQuantiser = 31;
constexpr int largestLambda = 256 * 128 - 1;

// Below this many bits per pixel (40 kbit/s at 320x240 and 15 frames/s is
// 0.035) choosing each macroblock's mode by its rate and distortion gained
// under 0.005 SSIM for an eighth more encoding time.
constexpr double leastBitsPerPixelForModeSearch = 0.05;

double bitsPerPixel(const VideoTarget &target, double framesPerSecond)
{
    if (!target.width || !target.height || framesPerSecond <= 0.0)
        return leastBitsPerPixelForModeSearch;
    return target.kbit * 1000.0 / (double(*target.width) * *target.height * framesPerSecond);
}

int macroblocks(int pixels)
{
    return (pixels + 15) / 16;
}

bool covers(const SimpleProfileLevel &level, const VideoTarget &target)
{
    const int perFrame = macroblocks(*target.width) * macroblocks(*target.height);
    return perFrame <= level.macroblocksPerFrame && perFrame * *target.framesPerSecond <= level.macroblocksPerSecond &&
           target.kbit <= level.kbit;
}

std::string kilobits(int value)
{
    return std::to_string(value) + "k";
}

} // namespace

const SimpleProfileLevel &simpleProfileLevel(const VideoTarget &target)
{
    if (target.width && target.height && target.framesPerSecond) {
        for (const SimpleProfileLevel &level : levels) {
            if (covers(level, target))
                return level;
        }
    }
    return levels.back();
}

std::vector<std::string> mpeg4RateControl(const VideoTarget &target)
{
    const SimpleProfileLevel &level = simpleProfileLevel(target);
    const long long bufferBits =
        std::min<long long>(static_cast<long long>(target.kbit) * 1000 * bufferSeconds, level.vbvBits);
    const double framesPerSecond = target.framesPerSecond.value_or(assumedFramesPerSecond);
    const long keyFrameDistance = std::max(1L, std::lround(framesPerSecond * keyFrameSeconds));
    // The average as asked, and a peak of the same rate over the buffer.
    std::vector<std::string> options{"-b:v",     kilobits(target.kbit),     "-maxrate", kilobits(target.kbit),
                                     "-bufsize", std::to_string(bufferBits)};
    options.insert(options.end(), {"-qmax", std::to_string(coarsestQuantiser), "-lmax", std::to_string(largestLambda)});
    options.insert(options.end(), {"-g", std::to_string(keyFrameDistance), "-bf", "0"});
    // Better decisions per bit: trellis quantisation and AC prediction (a
    // Simple Profile tool), and rate-distortion macroblock modes unless the
    // bits are so few that the modes hardly differ. Four motion vectors per
    // macroblock would gain little more for their search time.
    if (bitsPerPixel(target, framesPerSecond) >= leastBitsPerPixelForModeSearch)
        options.insert(options.end(), {"-mbd", "rd"});
    options.insert(options.end(), {"-trellis", "1", "-flags", "+aic"});
    options.insert(options.end(), {"-profile:v", "0", "-level", std::to_string(level.level)});
    return options;
}

VideoTarget videoTargetOf(const EncodeRequest &request, const std::string &scriptRate)
{
    VideoTarget target{request.videoBitrate.value_or(defaultKbit), request.width, request.height, std::nullopt};
    const std::string &rate = request.frameRate.empty() ? scriptRate : request.frameRate;
    if (!rate.empty()) {
        const Fraction fraction = frameRateFraction(rate);
        target.framesPerSecond = double(fraction.numerator) / double(fraction.denominator);
    }
    return target;
}

} // namespace encoder
