#pragma once

// Clips that flash and beep at once, every whole second on the time line
// their container gives them, and where a player shows the flashes and
// plays the beeps, for checking that sound stays with the picture.

#include "RealWorldMedia.h"

#include <QList>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace fixtures {

struct SyncClipLayout {
    QString frameRate = "25";
    int sampleRate = 44100;
    int channels = 2;
    // How much later than the file's start the sound and the picture begin
    // (before codecs' own filters move them).
    double soundStart = 0.0;
    double pictureStart = 0.0;
    // Encoders and container options for the extension's container.
    QStringList codecs;
};

constexpr double syncClipSeconds = 5.0;

// A black picture turning white for 0.2 s and a 1 kHz beep of 0.1 s, at
// 1, 2, 3 and 4 s. Each stream starts late by its offset, and its flashes or
// beeps are drawn on its own clock so that they still fall on whole seconds.
inline QString makeSyncClip(const QString &folder, const QString &name, const SyncClipLayout &clip)
{
    // A hair past each second, so that a frame that starts exactly on it
    // is not lost to rounding.
    const auto everySecond = [](double start, double length) {
        return QStringLiteral("gte(t+%1,1)*lt(mod(t+%1,1),%2)").arg(start + 1e-4).arg(length);
    };
    // Both streams end together.
    const auto lengthAfter = [](double start) { return QString::number(syncClipSeconds - start); };
    const QString picture =
        QStringLiteral("color=black:size=320x240:rate=%1:duration=%2,"
                       "drawbox=color=white:t=fill:enable='%3'")
            .arg(clip.frameRate, lengthAfter(clip.pictureStart), everySecond(clip.pictureStart, 0.2));
    const QString sound = QStringLiteral("aevalsrc='if(%1,0.5*sin(2*PI*1000*t),0)':s=%2:d=%3")
                              .arg(everySecond(clip.soundStart, 0.1))
                              .arg(clip.sampleRate)
                              .arg(lengthAfter(clip.soundStart));
    const QString path = QDir(folder).filePath(name);
    QStringList arguments{"-itsoffset", QString::number(clip.pictureStart), "-f", "lavfi", "-i", picture,
                          "-itsoffset", QString::number(clip.soundStart),   "-f", "lavfi", "-i", sound,
                          "-ac",        QString::number(clip.channels)};
    QString error;
    if (!runFfmpeg(arguments << clip.codecs << path, &error)) {
        qWarning("ffmpeg could not make %s: %s", qPrintable(name), qPrintable(error));
        return {};
    }
    return path;
}

// Where the first picture turns bright (mean luma above mid-grey after a
// darker frame), by the timestamps of the decoded frames.
inline QList<double> flashTimes(const QString &path)
{
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-hide_banner", "-nostdin", "-i", path, "-map", "0:v:0", "-vf",
                            "signalstats,metadata=print:key=lavfi.signalstats.YAVG", "-f", "null", "-"});
    ffmpeg.waitForFinished(120000);
    static const QRegularExpression line("pts_time:(-?[0-9.]+)|signalstats\\.YAVG=([0-9.]+)");
    QList<double> flashes;
    double time = 0.0;
    bool bright = false;
    for (auto match = line.globalMatch(QString::fromUtf8(ffmpeg.readAllStandardError())); match.hasNext();) {
        const QRegularExpressionMatch next = match.next();
        if (!next.captured(1).isEmpty()) {
            time = next.captured(1).toDouble();
            continue;
        }
        const bool nowBright = next.captured(2).toDouble() > 128.0;
        if (nowBright && !bright)
            flashes << time;
        bright = nowBright;
    }
    return flashes;
}

// Where the first sound's beeps begin: the ends of its silences.
inline QList<double> beepTimes(const QString &path)
{
    QList<double> beeps;
    for (const Span &quiet : silences(path))
        beeps << quiet.end;
    return beeps;
}

// How far each flash's nearest beep lies after it, in seconds; empty when
// the file has no beep.
inline QList<double> beepOffsets(const QString &path)
{
    const QList<double> beeps = beepTimes(path);
    QList<double> offsets;
    for (const double flash : flashTimes(path)) {
        const auto nearest = std::min_element(beeps.begin(), beeps.end(), [flash](double a, double b) {
            return std::abs(a - flash) < std::abs(b - flash);
        });
        if (nearest != beeps.end())
            offsets << *nearest - flash;
    }
    return offsets;
}

} // namespace fixtures
