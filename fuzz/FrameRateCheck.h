#pragma once

// Shared by the encoder targets: the 16-bit fraction the encoders give ffmpeg
// for a rate they accepted.

#include "FuzzEntry.h"

#include "encoders/core/FrameRate.h"
#include "encoders/core/OptionValues.h"

#include <algorithm>
#include <cmath>

namespace fuzz {

// For a text that readPositiveRate accepts: both parts from 1 to 65535, and
// as close to the rate (held to what 16 bits allow) as a fraction with such
// parts can always come, allowing for the digits past the ninth it drops.
inline void checkRateFraction(std::string_view text)
{
    const std::optional<double> rate = encoder::readPositiveRate(text);
    if (!rate)
        return;
    const encoder::Fraction fraction = encoder::frameRateFraction(text);
    check(fraction.numerator >= 1 && fraction.numerator <= 65535 && fraction.denominator >= 1 &&
              fraction.denominator <= 65535,
          "both parts of a rate's fraction fit in 16 bits");
    const double held = std::clamp(*rate, 1.0 / 65535.0, 65535.0);
    const double value = static_cast<double>(fraction.numerator) / static_cast<double>(fraction.denominator);
    check(std::fabs(value - held) <= std::max(held, 1.0) / 65535.0 + held * 1e-7,
          "a rate's fraction is as close as 16 bits allow");
}

} // namespace fuzz
