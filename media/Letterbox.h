#pragma once

#include <QRect>
#include <QSize>

namespace media {

// The largest rectangle of the picture's aspect ratio that fits the area,
// centred; the bars left over stay black. Empty when either size is empty.
QRect LetterboxRect(const QSize &picture, const QSize &area);

} // namespace media
