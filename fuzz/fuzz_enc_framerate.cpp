// The frame rate texts the encoders turn into ffmpeg's 16-bit fractions.

#include "FrameRateCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::checkRateFraction(fuzz::textOf(data, size));
    return 0;
}
