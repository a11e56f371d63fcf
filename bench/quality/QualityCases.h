#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One conversion the quality benchmark runs: an output type with a quality
// preset of the catalogue, or a custom choice of its option tables.
struct QualityCase {
    QString type;        // "mp4" or "mov"
    QString quality;     // the preset's name, or what the custom case asks
    QStringList options; // the encoder options as the command builder joins them
    int videoKbit = 0;
    int audioKbit = 0;
    int channels = 0;
    int sampleRate = 0;
    QString frameRate; // as the command line gives it ("14.985")
    QString extension; // ".mp4"
};

// Both video output types with each of their presets, then the custom cases.
QList<QualityCase> qualityCases();

// vidcoda's arguments for the case; videoKbit replaces the asked video rate
// when it is above zero.
QStringList encoderArguments(const QualityCase &qualityCase, const QString &input, const QString &output,
                             int videoKbit = 0);
