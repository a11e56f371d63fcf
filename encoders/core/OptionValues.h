#pragma once

#include <optional>
#include <string_view>

namespace encoder {

// Readers for option values; each gives nothing when the text does not fit.

// Decimal digits only, within [minimum, maximum].
std::optional<int> readWholeNumber(std::string_view text, int minimum, int maximum);

// A positive number written with digits and at most one ".", or "N/D".
std::optional<double> readPositiveRate(std::string_view text);

// The frame rates the encoders take, from "-r" or from a script's fps.
constexpr double slowestFrameRate = 1.0;
constexpr double fastestFrameRate = 240.0;

// A rate as readPositiveRate reads it, from slowestFrameRate to fastestFrameRate.
std::optional<double> readFrameRate(std::string_view text);

// "W:H" or "W/H" with positive numbers, or a positive decimal number.
bool isAspectRatio(std::string_view text);

// Seconds, "M:S" or "H:M:S", each part decimal digits, the last one with an
// optional fraction (".5"). Never negative.
std::optional<double> readTimeSeconds(std::string_view text);

} // namespace encoder
