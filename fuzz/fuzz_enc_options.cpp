// The encoders' readers of option values: any text, an answer within the
// stated range or none.

#include "FrameRateCheck.h"

namespace {

void readNumbers(std::string_view text, int minimum, int maximum)
{
    const std::optional<int> whole = encoder::readWholeNumber(text, minimum, maximum);
    fuzz::check(!whole || (*whole >= minimum && *whole <= maximum), "a whole number stays in its range");
    const std::optional<double> rate = encoder::readPositiveRate(text);
    fuzz::check(!rate || (std::isfinite(*rate) && *rate > 0.0), "a rate is positive");
    const std::optional<double> frameRate = encoder::readFrameRate(text);
    fuzz::check(!frameRate || (*frameRate >= encoder::slowestFrameRate && *frameRate <= encoder::fastestFrameRate),
                "a frame rate stays in its range");
    const std::optional<double> seconds = encoder::readTimeSeconds(text);
    fuzz::check(!seconds || (std::isfinite(*seconds) && *seconds >= 0.0), "a time is never negative");
    encoder::isAspectRatio(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The first two bytes pick a range, the rest is the value.
    if (size < 2)
        return 0;
    const int minimum = data[0] * 1000 - 1000;
    const int maximum = minimum + data[1] * 100000;
    const std::string_view text = fuzz::textOf(data + 2, size - 2);
    readNumbers(text, minimum, maximum);
    fuzz::checkRateFraction(text);
    return 0;
}
