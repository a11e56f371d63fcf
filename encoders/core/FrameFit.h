#pragma once

#include "EncodeRequest.h"

#include <string>

namespace encoder {

// ffmpeg video filters that place the source's picture in the output frame
// without distorting it: the frame is the -s size shown at the -aspect ratio
// (square pixels without -aspect), and the picture, upright and at its own
// display shape (its pixel aspect included, an unknown one taken as square),
// is scaled to the largest even size that fits it and centred on black.
// Without -s the frame keeps the source's pixels and grows bars up to the
// -aspect ratio. Empty without video, and when neither -s nor -aspect is
// given.
std::string frameFitFilters(const EncodeRequest &request);

} // namespace encoder
