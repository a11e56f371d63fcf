#pragma once

#include <QString>
#include <QStringList>

// Wall time and processor time (the program and the children it waited for)
// in seconds of one run; wall is negative when the run failed.
struct Timing {
    double wall = -1.0;
    double cpu = 0.0;
};

// Runs a program to its end, its output discarded.
Timing runTimed(const QString &program, const QStringList &arguments);

// Kilobits per second of each stream: the bytes of its packets over the
// time from its first packet's start to its last packet's end.
struct DeliveredRates {
    double videoKbit = 0.0;
    double audioKbit = 0.0;
};
DeliveredRates deliveredRates(const QString &file);

// SSIM (all planes) and PSNR (average) of a video output against its source
// brought to the same frame rate and size as the encoder does it.
struct Fidelity {
    double ssim = 0.0;
    double psnr = 0.0;
};
Fidelity fidelity(const QString &output, const QString &source, const QString &frameRate, const QString &size);

// The arguments ffmpeg got for a vidcoda command line before its rate
// control: vidcoda's own ffmpeg arguments with only the options that
// existed then, the asked rate as the plain average "-b:v".
QStringList todaysFfmpegArguments(const QStringList &encoderArguments, const QString &output);
