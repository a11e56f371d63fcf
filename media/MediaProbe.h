#pragma once

// Measures a media file in-process through libavformat, reading only as much
// of it as its container needs to give the duration and the streams.

#include "media/PictureOrientation.h"
#include "media/ResultCodes.h"

#include <QSize>
#include <QString>

namespace media {

struct ProbeResult {
    quint32 code = result::Ok; // Ok, or PartialRender when some stream cannot be decoded
    qint64 durationMs = 0;     // whole milliseconds; 0 when no timestamps were found
    bool seekable = false;
    bool hasVideo = false; // a decodable moving picture (cover images do not count)
    bool hasAudio = false;
    QSize displaySize;               // picture size as shown: pixel aspect and turn applied; empty when unknown
    TPictureOrientation orientation; // how the stored picture is turned and mirrored when shown
    qint64 pixelsPerSecond = 0;      // the picture's decoded pixels in a second of play; 0 when unknown
};

enum class TProbeDepth {
    Header,       // what the container states; enough to list the file
    FirstPicture, // also the orientation the first picture carries, for playing the file
};

// Throws EDirectShowException when the file cannot be opened (missing,
// unreadable, not a regular file, not a container libavformat knows) or when
// none of its audio and video streams can be opened for decoding.
ProbeResult ProbeMediaFile(const QString &fileName, TProbeDepth depth = TProbeDepth::Header);

} // namespace media
