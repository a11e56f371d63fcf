// ffprobe's listing of a picture's display matrix, whose numbers come from
// the source file: whatever it holds, the orientation read is a quarter turn
// and the filters made of it are ffmpeg's turning filters only.

#include "FuzzEntry.h"

#include "encoders/core/OwnOrientation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::optional<encoder::Orientation> orientation = encoder::readOwnOrientation(fuzz::textOf(data, size));
    if (!orientation)
        return 0;
    fuzz::check(orientation->clockwise % 90 == 0 && orientation->clockwise >= 0 && orientation->clockwise < 360,
                "a quarter turn");
    const std::string filters = encoder::orientationFilters(*orientation);
    fuzz::check(filters.find_first_not_of("abcdefghijklmnopqrstuvwxyz=,_") == std::string::npos,
                "filters without values from the input");
    return 0;
}
