#include "AudioLimits.h"

#include <array>
#include <cstdlib>
#include <span>

namespace encoder {

namespace {

constexpr std::array aacRates{96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000, 7350};
constexpr std::array mp3Rates{48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000};

// Rates in falling order; on a tie the higher one wins.
int closestRate(std::span<const int> rates, int rate)
{
    int best = rates.front();
    for (const int candidate : rates) {
        if (std::abs(candidate - rate) < std::abs(best - rate))
            best = candidate;
    }
    return best;
}

} // namespace

int supportedSampleRate(std::string_view encoder, int rate)
{
    if (encoder == "aac")
        return closestRate(aacRates, rate);
    if (encoder == "libmp3lame")
        return closestRate(mp3Rates, rate);
    return rate;
}

int supportedChannels(std::string_view encoder, int channels)
{
    return encoder == "libmp3lame" && channels > 2 ? 2 : channels;
}

} // namespace encoder
