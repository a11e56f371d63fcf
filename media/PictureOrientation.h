#pragma once

// How a stored picture is turned and mirrored for showing.

#include <cstdint>

namespace media {

struct TPictureOrientation {
    int clockwise = 0;     // degrees turned clockwise first: 0, 90, 180 or 270
    bool mirrored = false; // then left and right swapped

    bool operator==(const TPictureOrientation &) const = default;
};

// A display matrix as libavutil lays it out (the container's, or the one a
// decoder attaches to a picture), to the nearest quarter turn: phones and
// cameras write only those, and a picture turned by another angle would need
// a frame larger than itself. A matrix that turns nothing reads as upright.
TPictureOrientation OrientationOfDisplayMatrix(const int32_t matrix[9]);

} // namespace media
