#pragma once

// Small file helpers shared by the media tests.

#include "../support/MediaFixtures.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

namespace mediatest {

inline bool writeBytes(const QString &target, const QByteArray &bytes)
{
    QFile out(target);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
}

// Writes the first `bytes` bytes of `source` to `target`.
inline bool writePrefix(const QString &source, const QString &target, qint64 bytes)
{
    QFile in(source);
    return in.open(QIODevice::ReadOnly) && writeBytes(target, in.read(bytes));
}

// An AVI whose video stream carries a codec tag no decoder knows; its other
// streams stay intact. ffmpeg refuses to write an unknown tag, so the tag of
// a normal file is replaced in the header (everything before the "movi" list).
inline QString makeUnknownVideoCodecAvi(const QString &folder, const QString &name, bool withAudio)
{
    fixtures::ClipSpec clipSpec;
    clipSpec.audio = withAudio;
    const QString source = fixtures::makeClip(folder, "source-" + name, clipSpec);
    QFile in(source);
    if (source.isEmpty() || !in.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = in.readAll();
    const qsizetype movi = data.indexOf("movi");
    QByteArray header = data.left(movi);
    if (movi < 0 || !header.contains("FMP4"))
        return {};
    header.replace("FMP4", "QQQQ");
    const QString target = QDir(folder).filePath(name);
    return writeBytes(target, header + data.mid(movi)) ? target : QString();
}

// Where clips written by other programs are kept, outside the repository;
// MOVAREL_SHARED_FIXTURES names another folder.
inline QString sharedFixture(const QString &name)
{
    const QString folder = qEnvironmentVariableIsSet("MOVAREL_SHARED_FIXTURES")
                               ? qEnvironmentVariable("MOVAREL_SHARED_FIXTURES")
                               : QStringLiteral(MOVAREL_SOURCE_DIR "/../shared/fixtures");
    return QDir(folder).filePath(name);
}

} // namespace mediatest
