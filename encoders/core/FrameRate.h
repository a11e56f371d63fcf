#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace encoder {

struct Fraction {
    std::int64_t numerator = 0;
    std::int64_t denominator = 1;
};

// A frame rate text ("14.985", "23.967", "30000/1001") as a fraction whose
// parts both fit in 16 bits: exact where possible ("14.985" is 2997/200),
// else the closest such fraction. MPEG-4 video stores its time base in 16
// bits and refuses any rate that needs more. The text must be a valid rate
// (readPositiveRate); one beyond what 16 bits hold gives 1/65535 or 65535/1.
Fraction frameRateFraction(std::string_view rate);

// "N/D", the form ffmpeg's filters take.
std::string fractionText(const Fraction &fraction);

} // namespace encoder
