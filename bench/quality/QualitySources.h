#pragma once

#include <QList>
#include <QString>

struct QualitySource {
    QString name;
    QString path;
};

// Three 640x480 30 frames/s clips with stereo 44100 Hz sound, made with
// ffmpeg's generators so that they code like footage rather than like flat
// test patterns: a slow zoom and pan over a fractal with light grain, a
// colony of cells growing and fading with grain, and a scrolling test card
// with strong film grain. Each is an AVI of near-lossless MPEG-4 and PCM.
// Returns an empty list when ffmpeg fails.
QList<QualitySource> makeQualitySources(const QString &folder, int seconds);
