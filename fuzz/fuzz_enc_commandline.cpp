// The encoders' argument lists (NUL bytes part the arguments): any list is
// taken or refused with an EncoderError, and what is taken holds only
// values within their ranges.

#include "FrameRateCheck.h"

#include "encoders/core/CommandLine.h"
#include "encoders/core/EncoderError.h"

namespace {

bool inRange(const std::optional<int> &value, int minimum, int maximum)
{
    return !value || (*value >= minimum && *value <= maximum);
}

void checkRequest(const encoder::EncodeRequest &request)
{
    fuzz::check(!request.input.empty() && !request.output.empty(), "input and output are named");
    fuzz::check(inRange(request.width, 16, 8192) && inRange(request.height, 16, 8192), "a frame size in range");
    fuzz::check(inRange(request.channels, 1, 8), "channels in range");
    fuzz::check(!request.start || *request.start >= 0.0, "a start is never negative");
    fuzz::check(!request.length || *request.length > 0.0, "a length is positive");
    if (!request.frameRate.empty()) {
        fuzz::check(encoder::readFrameRate(request.frameRate).has_value(), "a frame rate in range");
        fuzz::checkRateFraction(request.frameRate);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    try {
        checkRequest(encoder::parseCommandLine(fuzz::wordsOf(fuzz::textOf(data, size))));
    } catch (const encoder::EncoderError &) {
    }
    return 0;
}
