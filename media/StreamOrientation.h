#pragma once

// How a video stream's pictures are shown: the container's display matrix,
// or the one the coded pictures carry themselves (the display-orientation
// message of H.264 and HEVC), which wins as it does in ffmpeg's own tools.

#include "media/PictureOrientation.h"

struct AVFormatContext;
struct AVStream;

namespace media {

// From the container's header alone.
TPictureOrientation ContainerOrientation(const AVStream *stream);

// The container's, unless the stream's first picture says otherwise: for a
// codec that can carry its own, that picture is decoded from the file's
// start (the read position moves).
TPictureOrientation ShownOrientation(AVFormatContext *context, int streamIndex);

} // namespace media
