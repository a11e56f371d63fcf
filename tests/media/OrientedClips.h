#pragma once

// Clips as phones and cameras write them: the picture stored sideways with a
// display rotation beside it or inside the stream, mirrored, stored in
// portrait, or stored with non-square pixels. Each picture is four solid quarters, so what is drawn of it tells
// which way up it is, and which side is left.

#include "../support/MediaFixtures.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QList>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QtEndian>

namespace mediatest {

// The quarters of the stored picture, left to right, top to bottom.
inline const QColor TopLeft{255, 0, 0};
inline const QColor TopRight{0, 255, 0};
inline const QColor BottomLeft{0, 0, 255};
inline const QColor BottomRight{255, 255, 0};

// Where a clip says how it is shown.
enum class Carrier {
    Container, // the track header's display matrix, as phones write it
    Stream,    // H.264's display-orientation message, in the coded pictures
};

struct OrientedClip {
    QSize stored{320, 180}; // the coded picture; both sides even
    int clockwise = 0;      // degrees the player is told to turn it clockwise: 0, 90, 180, 270
    bool mirrored = false;  // and then to swap left and right
    Carrier carrier = Carrier::Container;
    QString pixelAspect = "1"; // the sample aspect ratio, e.g. "64/45"
    double seconds = 2.0;
};

// Whether each quarter of the picture drawn at `picture` shows its colour
// (top left, top right, bottom left, bottom right) at its middle, within the
// blur of scaling and coding; the text names the first that does not.
inline QString quarterMismatch(const QImage &shot, const QRect &picture, const QList<QColor> &quarters)
{
    const int quarterWidth = picture.width() / 4;
    const int quarterHeight = picture.height() / 4;
    const QList<QPoint> middles{picture.topLeft() + QPoint(quarterWidth, quarterHeight),
                                picture.topRight() + QPoint(-quarterWidth, quarterHeight),
                                picture.bottomLeft() + QPoint(quarterWidth, -quarterHeight),
                                picture.bottomRight() + QPoint(-quarterWidth, -quarterHeight)};
    const QStringList names{QStringLiteral("top left"), QStringLiteral("top right"), QStringLiteral("bottom left"),
                            QStringLiteral("bottom right")};
    for (qsizetype i = 0; i < middles.size(); ++i) {
        const QRgb shown = shot.pixel(middles.at(i));
        const QColor &expected = quarters.at(i);
        if (qAbs(qRed(shown) - expected.red()) >= 70 || qAbs(qGreen(shown) - expected.green()) >= 70 ||
            qAbs(qBlue(shown) - expected.blue()) >= 70)
            return QStringLiteral("%1 is rgb(%2, %3, %4), not %5")
                .arg(names.at(i))
                .arg(qRed(shown))
                .arg(qGreen(shown))
                .arg(qBlue(shown))
                .arg(expected.name());
    }
    return {};
}

// The display matrix ffprobe reads: the first video stream's, or the one its
// first decoded picture carries.
struct StatedMatrix {
    bool present = false;
    int counterclockwise = 0; // ffprobe's "rotation"
    bool mirrored = false;    // the matrix's determinant is negative
};

inline StatedMatrix statedMatrix(const QString &file, Carrier carrier)
{
    const QStringList where = carrier == Carrier::Container
                                  ? QStringList{"-show_entries", "stream_side_data"}
                                  : QStringList{"-read_intervals", "%+#1", "-show_entries", "frame_side_data"};
    QProcess ffprobe;
    ffprobe.start("ffprobe",
                  QStringList{"-v", "error", "-select_streams", "v:0", "-of", "json"} + where + QStringList{file});
    ffprobe.waitForFinished(60000);
    const QString json = QString::fromUtf8(ffprobe.readAllStandardOutput());
    // "displaymatrix": "\n00000000: a b u\n00000001: c d v\n...", "rotation": n
    static const QRegularExpression matrixRows(QStringLiteral(
        "\"displaymatrix\": \"\\\\n\\w+:\\s*(-?\\d+)\\s+(-?\\d+)\\s+-?\\d+\\\\n\\w+:\\s*(-?\\d+)\\s+(-?\\d+)"));
    static const QRegularExpression rotation(QStringLiteral("\"rotation\": (-?\\d+)"));
    const QRegularExpressionMatch rows = matrixRows.match(json);
    StatedMatrix stated;
    stated.present = rows.hasMatch();
    if (!stated.present)
        return stated;
    const auto entry = [&](int n) { return rows.captured(n).toDouble(); };
    stated.mirrored = entry(1) * entry(4) - entry(2) * entry(3) < 0;
    stated.counterclockwise = rotation.match(json).captured(1).toInt();
    return stated;
}

// ffmpeg writes no mirror into a track header: the first track's matrix (the
// video's) gets its x axis reversed in place.
inline bool mirrorFirstTrack(const QString &file)
{
    QFile mov(file);
    if (!mov.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = mov.readAll();
    const qsizetype header = bytes.indexOf("tkhd");
    if (header < 0)
        return false;
    // Type, version and flags, the times, id and duration (64-bit in version 1),
    // then 16 reserved, layer, group and volume bytes.
    const qsizetype matrix = header + 8 + (bytes.at(header + 4) == 1 ? 32 : 20) + 16;
    for (const int entry : {0, 3}) { // a and c: the x of the shown picture
        char *at = bytes.data() + matrix + 4 * entry;
        qToBigEndian<qint32>(-qFromBigEndian<qint32>(at), at);
    }
    return mov.seek(0) && mov.write(bytes) == bytes.size();
}

// The copy that adds the orientation to an upright encoding.
inline QStringList orientationOptions(const OrientedClip &clip)
{
    if (clip.carrier == Carrier::Stream) {
        // The message mirrors first and then turns counterclockwise.
        const int counterclockwise = clip.mirrored ? clip.clockwise : (360 - clip.clockwise) % 360;
        return {"-bsf:v", QStringLiteral("h264_metadata=display_orientation=insert:rotate=%1%2")
                              .arg(counterclockwise)
                              .arg(clip.mirrored ? ":flip=horizontal" : "")};
    }
    if (clip.clockwise == 0)
        return {};
    return {"-metadata:s:v:0", QStringLiteral("rotate=%1").arg(360 - clip.clockwise)};
}

// Whether ffprobe reads back the orientation meant, so that a tool counting
// the other way fails here rather than in the tests. It takes a mirror for a
// half turn and a flip upside down.
inline QString orientationMismatch(const QString &file, const OrientedClip &clip)
{
    if (clip.carrier == Carrier::Stream && statedMatrix(file, Carrier::Container).present)
        return QStringLiteral("the container states a display matrix");
    const StatedMatrix stated = statedMatrix(file, clip.carrier);
    const int counterclockwise = clip.mirrored ? clip.clockwise + 180 : -clip.clockwise;
    if (!stated.present || stated.mirrored != clip.mirrored || (stated.counterclockwise - counterclockwise) % 360 != 0)
        return QStringLiteral("the file states a rotation of %1%2, or none")
            .arg(stated.counterclockwise)
            .arg(stated.mirrored ? ", mirrored" : "");
    return {};
}

// An H.264 clip with AAC sound in a QuickTime file, as phones write them.
// Debian's ffmpeg writes a display rotation only when copying streams, so a
// turned or mirrored clip is encoded upright first and then copied with its
// orientation. ffmpeg's "rotate" tag counts counterclockwise (an iPhone's
// clockwise quarter turn reads as -90).
inline QString makeOrientedClip(const QString &folder, const QString &name, const OrientedClip &clip)
{
    const QString target = QDir(folder).filePath(name);
    const bool upright = clip.clockwise == 0 && !clip.mirrored;
    const QString encoded = upright ? target : QDir(folder).filePath("upright-" + name);
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
    if (made && !upright) {
        made = fixtures::runFfmpeg(
            QStringList{"-i", encoded, "-c", "copy"} + orientationOptions(clip) + QStringList{target}, &error);
        QFile::remove(encoded);
        if (made && clip.mirrored && clip.carrier == Carrier::Container && !mirrorFirstTrack(target)) {
            error = QStringLiteral("the track header could not be mirrored");
            made = false;
        }
        if (made) {
            error = orientationMismatch(target, clip);
            made = error.isEmpty();
        }
    }
    if (!made) {
        qWarning("ffmpeg could not make %s: %s", qPrintable(name), qPrintable(error));
        return {};
    }
    return target;
}

// The same clip copied into MPEG-TS, as broadcast recordings and some cameras
// keep it; empty when ffmpeg could not copy it.
inline QString asTransportStream(const QString &file)
{
    if (file.isEmpty())
        return {};
    const QString target = file.left(file.lastIndexOf(QLatin1Char('.'))) + QStringLiteral(".ts");
    return fixtures::runFfmpeg({"-i", file, "-c", "copy", target}) ? target : QString();
}

} // namespace mediatest
