#include "media/PictureOrientation.h"

#include <array>
#include <cmath>

extern "C" {
#include <libavutil/display.h>
}

namespace media {

TPictureOrientation OrientationOfDisplayMatrix(const int32_t matrix[9])
{
    // A mirror reverses the sense of turning: the matrix's determinant is
    // negative. libavutil mirrors by negating the first column after the
    // turn, so negating it again leaves the turn alone.
    const double determinant = double(matrix[0]) * matrix[4] - double(matrix[1]) * matrix[3];
    TPictureOrientation orientation;
    orientation.mirrored = determinant < 0;
    std::array<int32_t, 9> turn;
    for (int i = 0; i < 9; ++i)
        turn[i] = orientation.mirrored && i % 3 == 0 ? -matrix[i] : matrix[i];
    const double counterclockwise = av_display_rotation_get(turn.data());
    if (std::isnan(counterclockwise))
        return {};
    const long quarterTurns = std::lround(-counterclockwise / 90.0);
    orientation.clockwise = int(((quarterTurns % 4) + 4) % 4) * 90;
    return orientation;
}

} // namespace media
