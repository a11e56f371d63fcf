#include "media/Letterbox.h"

namespace media {

QRect LetterboxRect(const QSize &picture, const QSize &area)
{
    if (picture.isEmpty() || area.isEmpty())
        return {};
    const QSize fitted = picture.scaled(area, Qt::KeepAspectRatio);
    const QPoint topLeft((area.width() - fitted.width()) / 2, (area.height() - fitted.height()) / 2);
    return {topLeft, fitted};
}

} // namespace media
