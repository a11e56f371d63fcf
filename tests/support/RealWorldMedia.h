#pragma once

// Media files shaped like those that phones, recorders and editors write, for
// faults that ffmpeg's plain test sources never show: AMR sound packed several
// frames to a sample, sound with a hole in its timestamps, a short default
// sound beside a long one, a sound profile the decoder does not implement,
// cover pictures, motion photos, a picture of one frame, and copy-protected
// streams.

#include "MediaFixtures.h"

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QRegularExpression>

#include <utility>

namespace fixtures {

namespace isobmff {

inline QByteArray bigEndian(quint64 value, int bytes)
{
    QByteArray out(bytes, '\0');
    for (int i = bytes - 1; i >= 0; --i, value >>= 8)
        out[i] = char(value & 0xff);
    return out;
}

inline QByteArray box(const char *type, const QByteArray &payload)
{
    return bigEndian(quint64(8 + payload.size()), 4) + QByteArray(type, 4) + payload;
}

inline QByteArray fullBox(const char *type, quint32 flags, const QByteArray &payload)
{
    return box(type, bigEndian(flags, 4) + payload);
}

struct TopBox {
    QByteArray type;
    qsizetype offset = 0;
    qsizetype size = 0;
};

inline QList<TopBox> topBoxes(const QByteArray &file)
{
    QList<TopBox> boxes;
    for (qsizetype at = 0; at + 8 <= file.size();) {
        qsizetype size = 0;
        for (int i = 0; i < 4; ++i)
            size = (size << 8) | quint8(file.at(at + i));
        if (size < 8 || at + size > file.size())
            break;
        boxes.append({file.mid(at + 4, 4), at, size});
        at += size;
    }
    return boxes;
}

inline QByteArray identityMatrix()
{
    QByteArray matrix;
    for (const quint32 value : {0x10000u, 0u, 0u, 0u, 0x10000u, 0u, 0u, 0u, 0x40000000u})
        matrix += bigEndian(value, 4);
    return matrix;
}

} // namespace isobmff

// Runs ffmpeg with the arguments and the path last; returns the path, or an
// empty text with a warning when ffmpeg failed.
inline QString writtenByFfmpeg(const QStringList &arguments, const QString &path)
{
    QString error;
    if (!runFfmpeg(arguments + QStringList{path}, &error)) {
        qWarning("ffmpeg could not make %s: %s", qPrintable(QFileInfo(path).fileName()), qPrintable(error));
        return {};
    }
    return path;
}

// ffmpeg's lavfi sources as its inputs, each mapped to the output in turn.
inline QStringList lavfiSources(const QStringList &sources)
{
    QStringList arguments;
    for (const QString &source : sources)
        arguments << "-f"
                  << "lavfi"
                  << "-i" << source;
    for (qsizetype input = 0; input < sources.size(); ++input)
        arguments << "-map" << QString::number(input);
    return arguments;
}

// One AMR-NB 12.2 kbit/s frame with its header byte. All-zero speech bits
// decode to a hiss at about -45 dB; the repeated pattern to a steady sound at
// about -20 dB.
inline QByteArray amrFrame(bool loud)
{
    return QByteArray(1, char(0x3c)) + QByteArray(31, loud ? char(0x3c) : '\0');
}

// The 'trak' of an AMR-NB sound (track 2) whose samples hold framesPerSample
// frames each, with its data at dataOffset in the file.
inline QByteArray packedAmrTrack(int frames, int framesPerSample, qint64 dataOffset)
{
    using namespace isobmff;
    const int fullSamples = frames / framesPerSample;
    const int rest = frames % framesPerSample;
    const int samples = fullSamples + (rest ? 1 : 0);
    const quint32 units = quint32(frames) * 160; // 8000 Hz, 160 samples a frame
    const int frameBytes = int(amrFrame(false).size());

    QByteArray timing = bigEndian(rest ? 2 : 1, 4) + bigEndian(fullSamples, 4) + bigEndian(160 * framesPerSample, 4);
    if (rest)
        timing += bigEndian(1, 4) + bigEndian(160 * rest, 4);
    QByteArray sizes = bigEndian(0, 4) + bigEndian(samples, 4);
    for (int i = 0; i < samples; ++i)
        sizes += bigEndian((i < fullSamples ? framesPerSample : rest) * frameBytes, 4);
    const QByteArray damr =
        box("damr", "FFMP" + bigEndian(0, 1) + bigEndian(0x81ff, 2) + bigEndian(0, 1) + bigEndian(framesPerSample, 1));
    // The 3GPP sample entry: channel count 2 and sample size 16 are fixed values.
    const QByteArray samr = box("samr", QByteArray(6, '\0') + bigEndian(1, 2) + QByteArray(8, '\0') + bigEndian(2, 2) +
                                            bigEndian(16, 2) + bigEndian(0, 4) + bigEndian(8000u << 16, 4) + damr);
    const QByteArray table = box(
        "stbl", fullBox("stsd", 0, bigEndian(1, 4) + samr) + fullBox("stts", 0, timing) +
                    fullBox("stsc", 0, bigEndian(1, 4) + bigEndian(1, 4) + bigEndian(samples, 4) + bigEndian(1, 4)) +
                    fullBox("stsz", 0, sizes) + fullBox("stco", 0, bigEndian(1, 4) + bigEndian(dataOffset, 4)));
    const QByteArray media = box(
        "mdia",
        fullBox("mdhd", 0,
                bigEndian(0, 8) + bigEndian(8000, 4) + bigEndian(units, 4) + bigEndian(0x55c4, 2) + bigEndian(0, 2)) +
            fullBox("hdlr", 0, bigEndian(0, 4) + "soun" + QByteArray(12, '\0') + "SoundHandler" + '\0') +
            box("minf", fullBox("smhd", 0, bigEndian(0, 4)) +
                            box("dinf", fullBox("dref", 0, bigEndian(1, 4) + fullBox("url ", 1, {}))) + table));
    const QByteArray header =
        fullBox("tkhd", 7,
                bigEndian(0, 8) + bigEndian(2, 4) + bigEndian(0, 4) + bigEndian(units / 8, 4) + QByteArray(8, '\0') +
                    bigEndian(0, 4) + bigEndian(0x100, 2) + bigEndian(0, 2) + identityMatrix() + bigEndian(0, 8));
    return box("trak", header + media);
}

struct PhoneClipSpec {
    double seconds = 9.7;
    double quietSeconds = 3.0; // the sound is quiet up to here, loud after
    int framesPerSample = 5;
};

// A phone's .3gp: MPEG-4 video at 176x144 made by ffmpeg, and an AMR-NB sound
// whose samples each hold several 20 ms frames, as phones write them (ffmpeg
// cannot: its muxer takes one frame a packet). Returns the path, or an empty
// text with a warning.
inline QString makePhoneClip(const QString &folder, const QString &name, const PhoneClipSpec &clip = {})
{
    const QString video = QDir(folder).filePath("video-of-" + name);
    QString error;
    if (!runFfmpeg({"-f", "lavfi", "-i", QStringLiteral("testsrc=size=176x144:rate=15:duration=%1").arg(clip.seconds),
                    "-c:v", "mpeg4", "-f", "3gp", video},
                   &error)) {
        qWarning("ffmpeg could not make the phone clip's video: %s", qPrintable(error));
        return {};
    }
    QFile in(video);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    const QByteArray file = in.readAll();
    const QList<isobmff::TopBox> boxes = isobmff::topBoxes(file);
    if (boxes.isEmpty() || boxes.last().type != "moov" || boxes.last().offset + boxes.last().size != file.size()) {
        qWarning("the phone clip's video does not end with its index");
        return {};
    }
    const int frames = qRound(clip.seconds / 0.02);
    const int quietFrames = qRound(clip.quietSeconds / 0.02);
    QByteArray sound;
    for (int i = 0; i < frames; ++i)
        sound += amrFrame(i >= quietFrames);
    const isobmff::TopBox moov = boxes.last();
    const QByteArray head = file.left(moov.offset);
    QByteArray children = file.mid(moov.offset + 8, moov.size - 8);
    const qsizetype movieHeader = children.indexOf("mvhd");
    if (movieHeader < 4)
        return {};
    // mvhd (version 0) ends with the next track ID, 100 bytes after its type.
    children.replace(movieHeader + 100, 4, isobmff::bigEndian(3, 4));
    const QByteArray track = packedAmrTrack(frames, clip.framesPerSample, head.size() + 8);
    const QByteArray result = head + isobmff::box("mdat", sound) + isobmff::box("moov", children + track);
    const QString path = QDir(folder).filePath(name);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(result) != result.size())
        return {};
    return path;
}

// A clip of the extension's container whose sound (a 440 Hz tone) has a hole
// from holeStart to holeEnd seconds while the timestamps around it stay true,
// as a recorder that lost sound for a moment writes it.
inline QString makeClipWithSoundHole(const QString &folder, const QString &name, double seconds, double holeStart,
                                     double holeEnd)
{
    const QString path = QDir(folder).filePath(name);
    QStringList arguments{"-f",  "lavfi",
                          "-i",  QStringLiteral("testsrc=size=320x240:rate=25:duration=%1").arg(seconds),
                          "-f",  "lavfi",
                          "-i",  QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(seconds),
                          "-af", QStringLiteral("aselect='not(between(t,%1,%2))'").arg(holeStart).arg(holeEnd)};
    arguments << codecOptionsFor("." + QFileInfo(name).suffix()) << path;
    QString error;
    if (!runFfmpeg(arguments, &error)) {
        qWarning("ffmpeg could not make %s: %s", qPrintable(name), qPrintable(error));
        return {};
    }
    return path;
}

// A clip with two sounds: the first, marked default, lasts shortSeconds; the
// second, at 880 Hz, lasts as long as the picture.
inline QString makeClipWithShortDefaultSound(const QString &folder, const QString &name, double seconds,
                                             double shortSeconds)
{
    return writtenByFfmpeg(
        lavfiSources({QStringLiteral("testsrc=size=320x240:rate=25:duration=%1").arg(seconds),
                      QStringLiteral("sine=frequency=440:duration=%1").arg(shortSeconds),
                      QStringLiteral("sine=frequency=880:duration=%1").arg(seconds)}) +
            QStringList{"-c:v", "mpeg4", "-c:a", "aac", "-disposition:a:0", "default", "-disposition:a:1", "0"},
        QDir(folder).filePath(name));
}

// An MP4 whose first sound (stereo AAC at 44100 Hz, 3 s) claims to be USAC,
// the profile of recent phones that ffmpeg 5.1's decoder does not implement;
// with video and with a second, decodable mono sound when asked.
inline QString makeUndecodableSoundMp4(const QString &folder, const QString &name, bool withVideo, bool withGoodSound)
{
    const QString path = QDir(folder).filePath(name);
    QStringList arguments;
    if (withVideo)
        arguments << "-f"
                  << "lavfi"
                  << "-i"
                  << "testsrc=size=320x240:rate=25:duration=3";
    arguments << "-f"
              << "lavfi"
              << "-i"
              << "sine=frequency=440:duration=3";
    if (withGoodSound)
        arguments << "-f"
                  << "lavfi"
                  << "-i"
                  << "sine=frequency=880:duration=3";
    for (int input = 0; input < int(withVideo) + 1 + int(withGoodSound); ++input)
        arguments << "-map" << QString::number(input);
    arguments << "-c:v"
              << "mpeg4"
              << "-c:a"
              << "aac"
              << "-ar"
              << "44100"
              << "-ac:a:0"
              << "2";
    if (withGoodSound)
        arguments << "-ac:a:1"
                  << "1"
                  << "-disposition:a:0"
                  << "default"
                  << "-disposition:a:1"
                  << "0";
    QString error;
    if (!runFfmpeg(arguments << "-f"
                             << "mp4" << path,
                   &error)) {
        qWarning("ffmpeg could not make %s: %s", qPrintable(name), qPrintable(error));
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return {};
    QByteArray data = file.readAll();
    // The decoder configuration of stereo AAC-LC at 44100 Hz starts 12 10;
    // USAC (object type 42) at the same rate and channels is F9 48 40.
    const qsizetype config = data.indexOf(QByteArray::fromHex("0580808005") + QByteArray::fromHex("1210"));
    if (config < 0) {
        qWarning("no stereo AAC configuration found in %s", qPrintable(name));
        return {};
    }
    data.replace(config + 5, 5, QByteArray::fromHex("F948400000"));
    file.seek(0);
    file.write(data);
    return path;
}

namespace asf {

inline QByteArray littleEndian(quint64 value, int bytes)
{
    QByteArray out(bytes, '\0');
    for (int i = 0; i < bytes; ++i, value >>= 8)
        out[i] = char(value & 0xff);
    return out;
}

// A text as ASF stores it: UTF-16LE with its terminating zero.
inline QByteArray wideText(const QString &text)
{
    const QString terminated = text + QChar(0);
    return QByteArray(reinterpret_cast<const char *>(terminated.utf16()), terminated.size() * 2);
}

} // namespace asf

// Turns the text tag WM/Picture of the ASF file into the picture tag given
// (its value's type 0, text, becomes 1, bytes); the text must be as long.
inline bool asfTagToPicture(const QString &path, const QByteArray &picture)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray data = file.readAll();
    // The tag's name is followed by its value's type and length.
    const QByteArray name = asf::wideText("WM/Picture");
    const qsizetype named = data.indexOf(name);
    if (named < 0)
        return false;
    const qsizetype typeAt = named + name.size();
    const int length = quint8(data.at(typeAt + 2)) | quint8(data.at(typeAt + 3)) << 8;
    if (length < picture.size())
        return false;
    data.replace(typeAt, 2, asf::littleEndian(1, 2));
    data.replace(typeAt + 4, length, picture + QByteArray(length - picture.size(), '\0'));
    file.seek(0);
    return file.write(data) == data.size();
}

// A sound with a cover picture attached, as music players write it: in an MP4
// family file an attached picture stream; in ASF (.wma, .asf) the WM/Picture
// tag, which ffmpeg lists as an attached picture too. ffmpeg cannot write the
// tag, so a text tag of the same size is written and turned into it.
inline QString makeSoundWithCover(const QString &folder, const QString &name, const QSize &cover, double seconds)
{
    const QString path = QDir(folder).filePath(name);
    const QString picture = writtenByFfmpeg(
        {"-f", "lavfi", "-i", QStringLiteral("testsrc=size=%1x%2:rate=1").arg(cover.width()).arg(cover.height()),
         "-frames:v", "1"},
        QDir(folder).filePath("cover-of-" + name + ".jpg"));
    if (picture.isEmpty())
        return {};
    const QStringList sound{"-f", "lavfi", "-i", QStringLiteral("sine=frequency=440:duration=%1").arg(seconds)};
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (suffix != "wma" && suffix != "asf")
        return writtenByFfmpeg(sound + QStringList{"-i", picture, "-map", "0", "-map", "1", "-c:a", "aac", "-c:v",
                                                   "copy", "-disposition:v", "attached_pic"},
                               path);
    QFile jpeg(picture);
    if (!jpeg.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = jpeg.readAll();
    // Picture type 3 (front cover), size, MIME type, empty description, data.
    const QByteArray tag = QByteArray(1, char(3)) + asf::littleEndian(quint64(bytes.size()), 4) +
                           asf::wideText("image/jpeg") + asf::wideText(QString()) + bytes;
    const QStringList placeholder{"-c:a", "wmav2", "-metadata", "WM/Picture=" + QString(tag.size() / 2, QChar('A')),
                                  "-f",   "asf"};
    if (writtenByFfmpeg(sound + placeholder, path).isEmpty() || !asfTagToPicture(path, tag))
        return {};
    return path;
}

// A phone's motion photo: a moving picture (30 fps for `seconds`) and a still
// track of two frames, larger, both marked default, beside a sound; the still
// track comes first when asked.
inline QString makeMotionPhoto(const QString &folder, const QString &name, const QSize &moving, const QSize &still,
                               double seconds, bool stillFirst)
{
    const QString movingSource =
        QStringLiteral("testsrc=size=%1x%2:rate=30:duration=%3").arg(moving.width()).arg(moving.height()).arg(seconds);
    const QString stillSource =
        QStringLiteral("testsrc=size=%1x%2:rate=2:duration=1").arg(still.width()).arg(still.height());
    return writtenByFfmpeg(
        lavfiSources({stillFirst ? stillSource : movingSource, stillFirst ? movingSource : stillSource,
                      QStringLiteral("sine=frequency=440:duration=%1").arg(seconds)}) +
            QStringList{"-c:v", "mpeg4", "-c:a", "aac", "-disposition:v:0", "default", "-disposition:v:1", "default"},
        QDir(folder).filePath(name));
}

// A phone's slow-motion clip gone wrong: its picture is one frame of 8 ms at
// `at` seconds, its sound lasts `seconds`.
inline QString makeOneFramePicture(const QString &folder, const QString &name, double at, double seconds)
{
    return writtenByFfmpeg({"-f", "lavfi", "-i", "testsrc=size=320x240:rate=125:duration=0.008", "-f", "lavfi", "-i",
                            QStringLiteral("sine=frequency=440:duration=%1").arg(seconds), "-vf",
                            QStringLiteral("setpts=PTS+%1/TB").arg(at), "-video_track_timescale", "1000", "-c:v",
                            "mpeg4", "-c:a", "aac"},
                           QDir(folder).filePath(name));
}

// An ASF file whose header holds the Content Encryption object of a
// protected Windows Media file (its media are plain, which makes no
// difference to ffmpeg's demuxer); the object goes first among the header's.
inline QString makeProtectedAsf(const QString &folder, const QString &name)
{
    const QString path = makeClip(folder, name, ClipSpec{2.0, true, true, {160, 120}, 15, 44100});
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadWrite))
        return {};
    QByteArray data = file.readAll();
    const auto counted = [](const QByteArray &text) { return asf::littleEndian(quint64(text.size()), 4) + text; };
    const QByteArray payload = counted(QByteArray::fromHex("01020304")) + counted(QByteArray("DRM", 4)) +
                               counted(QByteArray("key", 4)) + counted(QByteArray("http://licence/", 16));
    const QByteArray object = QByteArray::fromHex("FBB3112223BDD211B4B700A0C955FC6E") +
                              asf::littleEndian(quint64(24 + payload.size()), 8) + payload;
    // The header object: GUID, size (8 bytes at 16), object count (4 at 24),
    // two reserved bytes, then its objects.
    const auto field = [&](int at, int bytes) {
        quint64 value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = (value << 8) | quint8(data.at(at + i));
        return value;
    };
    data.replace(16, 8, asf::littleEndian(field(16, 8) + quint64(object.size()), 8));
    data.replace(24, 4, asf::littleEndian(field(24, 4) + 1, 4));
    data.insert(30, object);
    file.seek(0);
    return file.write(data) == data.size() ? path : QString();
}

// An MP4 whose picture's or sound's sample entry is renamed to a protected
// one ("encv", "drmi" for the picture; "drms", "enca" for the sound), as a
// store's copy-protected files carry them; an empty entry keeps the stream.
inline QString makeProtectedMp4(const QString &folder, const QString &name, const QByteArray &pictureEntry,
                                const QByteArray &soundEntry)
{
    const QString path = makeClip(folder, name, ClipSpec{2.0, true, true, {160, 120}, 15, 44100});
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadWrite))
        return {};
    QByteArray data = file.readAll();
    const qsizetype descriptions = data.indexOf("stsd");
    const QList<std::pair<QByteArray, QByteArray>> renames{{"mp4v", pictureEntry}, {"mp4a", soundEntry}};
    for (const auto &[plain, entry] : renames) {
        const qsizetype at = data.indexOf(plain, descriptions);
        if (at < 0 || descriptions < 0)
            return {};
        if (!entry.isEmpty())
            data.replace(at, 4, entry);
    }
    file.seek(0);
    file.write(data);
    return path;
}

// How long the first sound of a file lasts when decoded: its samples, not
// what the container claims.
inline double decodedSoundSeconds(const QString &path)
{
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-v", "error", "-nostdin", "-i", path, "-map", "0:a:0", "-f", "s16le", "-ac", "1", "-ar",
                            "8000", "-"});
    ffmpeg.waitForFinished(120000);
    return double(ffmpeg.readAllStandardOutput().size()) / (2 * 8000);
}

struct Span {
    double start = 0.0;
    double end = 0.0;
};

// The stretches of the first sound quieter than -30 dB for at least 20 ms,
// as ffmpeg's silencedetect finds them; one still open at the end ends there.
inline QList<Span> silences(const QString &path)
{
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-hide_banner", "-nostdin", "-i", path, "-map", "0:a:0", "-af",
                            "silencedetect=noise=-30dB:duration=0.02", "-f", "null", "-"});
    ffmpeg.waitForFinished(120000);
    const QString log = QString::fromUtf8(ffmpeg.readAllStandardError());
    static const QRegularExpression mark("silence_(start|end): (-?[0-9.]+)");
    QList<Span> found;
    for (auto match = mark.globalMatch(log); match.hasNext();) {
        const QRegularExpressionMatch next = match.next();
        const double at = next.captured(2).toDouble();
        if (next.captured(1) == "start")
            found.append({at, -1.0});
        else if (!found.isEmpty())
            found.last().end = at;
    }
    if (!found.isEmpty() && found.last().end < 0)
        found.last().end = decodedSoundSeconds(path);
    return found;
}

} // namespace fixtures
