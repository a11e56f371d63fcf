#include "OptionValues.h"

#include "TextLines.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace encoder {

namespace {

bool allDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// Digits with at most one "." and at least one digit: "12", "12.5", ".5", "12.".
std::optional<double> readDecimal(std::string_view text)
{
    const std::size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view fraction = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    if (whole.empty() && fraction.empty())
        return std::nullopt;
    if ((!whole.empty() && !allDigits(whole)) || (!fraction.empty() && !allDigits(fraction)))
        return std::nullopt;
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> readRatio(std::string_view text, char separator)
{
    const std::size_t at = text.find(separator);
    if (at == std::string_view::npos)
        return std::nullopt;
    const auto numerator = readDecimal(text.substr(0, at));
    const auto denominator = readDecimal(text.substr(at + 1));
    if (!numerator || !denominator || *numerator <= 0.0 || *denominator <= 0.0)
        return std::nullopt;
    // Parts far apart in size divide to infinity or to zero.
    const double ratio = *numerator / *denominator;
    if (!std::isfinite(ratio) || ratio <= 0.0)
        return std::nullopt;
    return ratio;
}

} // namespace

std::optional<int> readWholeNumber(std::string_view text, int minimum, int maximum)
{
    if (!allDigits(text) || text.size() > 9)
        return std::nullopt;
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    if (value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

std::optional<double> readPositiveRate(std::string_view text)
{
    const auto value = text.find('/') != std::string_view::npos ? readRatio(text, '/') : readDecimal(text);
    if (!value || *value <= 0.0)
        return std::nullopt;
    return value;
}

std::optional<double> readFrameRate(std::string_view text)
{
    const auto rate = readPositiveRate(text);
    if (!rate || *rate < slowestFrameRate || *rate > fastestFrameRate)
        return std::nullopt;
    return rate;
}

bool isAspectRatio(std::string_view text)
{
    if (text.find(':') != std::string_view::npos)
        return readRatio(text, ':').has_value();
    if (text.find('/') != std::string_view::npos)
        return readRatio(text, '/').has_value();
    const auto value = readDecimal(text);
    return value && *value > 0.0;
}

std::optional<double> readTimeSeconds(std::string_view text)
{
    const std::vector<std::string_view> parts = splitAt(text, ':');
    if (parts.size() > 3)
        return std::nullopt;
    double seconds = 0.0;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        const auto part = readWholeNumber(parts[i], 0, 99999999);
        if (!part)
            return std::nullopt;
        seconds = seconds * 60.0 + *part;
    }
    const auto last = readDecimal(parts.back());
    if (!last)
        return std::nullopt;
    return seconds * 60.0 + *last;
}

} // namespace encoder
