#pragma once

// Clips as phones and cameras write them: the picture stored sideways with a
// display rotation beside it, stored in portrait, or stored with non-square
// pixels. Each picture is four solid quarters, so what is drawn of it tells
// which way up it is, and which side is left.

#include "../support/MediaFixtures.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSize>
#include <QString>

namespace mediatest {

// The quarters of the stored picture, left to right, top to bottom.
inline const QColor TopLeft{255, 0, 0};
inline const QColor TopRight{0, 255, 0};
inline const QColor BottomLeft{0, 0, 255};
inline const QColor BottomRight{255, 255, 0};

struct OrientedClip {
    QSize stored{320, 180};    // the coded picture; both sides even
    int clockwise = 0;         // degrees the player is told to turn it clockwise: 0, 90, 180, 270
    QString pixelAspect = "1"; // the sample aspect ratio, e.g. "64/45"
    double seconds = 2.0;
};

// The display rotation ffprobe reads from the file's first video stream, in
// its terms: degrees counterclockwise; 0 when there is none.
inline int statedRotation(const QString &file)
{
    QProcess ffprobe;
    ffprobe.start("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries", "stream_side_data=rotation",
                              "-of", "default=noprint_wrappers=1:nokey=1", file});
    ffprobe.waitForFinished(60000);
    return ffprobe.readAllStandardOutput().trimmed().toInt();
}

// An H.264 clip with AAC sound in a QuickTime file, as phones write them.
// Debian's ffmpeg writes a display rotation only when copying streams, so a
// turned clip is encoded upright first and then copied with the rotation.
// ffmpeg's "rotate" tag counts counterclockwise (an iPhone's clockwise quarter
// turn reads as -90); the rotation written is read back, so a tool that
// counts the other way fails here rather than in the tests.
inline QString makeOrientedClip(const QString &folder, const QString &name, const OrientedClip &clip)
{
    const QString target = QDir(folder).filePath(name);
    const QString encoded = clip.clockwise == 0 ? target : QDir(folder).filePath("upright-" + name);
    const int halfWidth = clip.stored.width() / 2;
    const int halfHeight = clip.stored.height() / 2;
    const QString duration = QString::number(clip.seconds, 'f', 3);
    auto quarter = [&](const QColor &colour, const char *label) {
        return QStringLiteral("color=c=%1:size=%2x%3:rate=30:duration=%4[%5];")
            .arg(colour.name())
            .arg(halfWidth)
            .arg(halfHeight)
            .arg(duration)
            .arg(label);
    };
    const QString picture = quarter(TopLeft, "a") + quarter(TopRight, "b") + quarter(BottomLeft, "c") +
                            quarter(BottomRight, "d") +
                            QStringLiteral("[a][b]hstack[top];[c][d]hstack[bottom];[top][bottom]vstack,setsar=%1[out0]")
                                .arg(clip.pixelAspect);
    QString error;
    bool made = fixtures::runFfmpeg({"-f", "lavfi", "-i", picture, "-f", "lavfi", "-i", "sine=duration=" + duration,
                                     "-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest", encoded},
                                    &error);
    if (made && clip.clockwise != 0) {
        made = fixtures::runFfmpeg({"-i", encoded, "-c", "copy", "-metadata:s:v:0",
                                    QStringLiteral("rotate=%1").arg(360 - clip.clockwise), target},
                                   &error);
        QFile::remove(encoded);
        const int stated = made ? statedRotation(target) : 0;
        if (made && (stated + clip.clockwise) % 360 != 0) {
            error = QStringLiteral("the file states a rotation of %1").arg(stated);
            made = false;
        }
    }
    if (!made) {
        qWarning("ffmpeg could not make %s: %s", qPrintable(name), qPrintable(error));
        return {};
    }
    return target;
}

} // namespace mediatest
