#include "QualityMeasure.h"

#include "encoders/core/CommandLine.h"
#include "encoders/core/FfmpegArguments.h"
#include "encoders/core/FrameRate.h"

#include <QElapsedTimer>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>

#include <set>
#include <sys/resource.h>

namespace {

QByteArray runForError(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    process.waitForFinished(-1);
    return process.readAllStandardError();
}

QByteArray runForOutput(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(-1);
    return process.readAllStandardOutput();
}

double firstNumberAfter(const QString &text, const QString &label)
{
    const QRegularExpression pattern(QRegularExpression::escape(label) + QStringLiteral("([0-9.]+)"));
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() ? match.captured(1).toDouble() : 0.0;
}

// Processor time of the ended children this process has waited for.
double childrenCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval &time) { return double(time.tv_sec) + double(time.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct StreamTally {
    double bytes = 0.0;
    double first = 1e300;
    double end = 0.0;
};

} // namespace

Timing runTimed(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    const double cpuBefore = childrenCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    const bool finished = process.waitForFinished(-1);
    Timing timing{double(timer.nsecsElapsed()) / 1e9, childrenCpuSeconds() - cpuBefore};
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        timing.wall = -1.0;
    return timing;
}

DeliveredRates deliveredRates(const QString &file)
{
    const QString listing = QString::fromUtf8(
        runForOutput(QStringLiteral("ffprobe"),
                     {"-v", "error", "-show_entries",
                      "stream=index,codec_type:packet=stream_index,pts_time,duration_time,size", "-of", "csv", file}));
    QHash<int, QString> kinds;
    QHash<int, StreamTally> tallies;
    for (const QString &line : listing.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char(','));
        if (fields.value(0) == QLatin1String("stream")) {
            kinds.insert(fields.value(1).toInt(), fields.value(2));
        } else if (fields.value(0) == QLatin1String("packet") && fields.size() >= 5) {
            StreamTally &tally = tallies[fields.at(1).toInt()];
            const double start = fields.at(2).toDouble();
            tally.bytes += fields.at(4).toDouble();
            tally.first = std::min(tally.first, start);
            tally.end = std::max(tally.end, start + fields.at(3).toDouble());
        }
    }
    DeliveredRates rates;
    for (auto it = tallies.cbegin(); it != tallies.cend(); ++it) {
        const double seconds = it->end - it->first;
        const double kbit = seconds > 0.0 ? it->bytes * 8.0 / seconds / 1000.0 : 0.0;
        (kinds.value(it.key()) == QLatin1String("video") ? rates.videoKbit : rates.audioKbit) = kbit;
    }
    return rates;
}

Fidelity fidelity(const QString &output, const QString &source, const QString &frameRate, const QString &size)
{
    const QString rate =
        QString::fromStdString(encoder::fractionText(encoder::frameRateFraction(frameRate.toStdString())));
    const QString graph = QStringLiteral("[1:v]fps=%1,scale=%2,split[r1][r2];[0:v]split[d1][d2];"
                                         "[d1][r1]ssim;[d2][r2]psnr")
                              .arg(rate, QString(size).replace(QLatin1Char('x'), QLatin1Char(':')));
    const QString log =
        QString::fromUtf8(runForError(QStringLiteral("ffmpeg"), {"-hide_banner", "-nostdin", "-nostats", "-i", output,
                                                                 "-i", source, "-lavfi", graph, "-f", "null", "-"}));
    return {firstNumberAfter(log, QStringLiteral("All:")), firstNumberAfter(log, QStringLiteral("average:"))};
}

QStringList todaysFfmpegArguments(const QStringList &encoderArguments, const QString &output)
{
    std::vector<std::string> words;
    for (const QString &word : encoderArguments)
        words.push_back(word.toStdString());
    const encoder::EncodeRequest request = encoder::parseCommandLine(words);
    const std::vector<std::string> current =
        encoder::ffmpegArguments(request, {request.input, {}}, {encoder::fileUrl(output.toStdString()), {}, true});
    // What the arguments held before the rate control; anything else is left
    // out with its value.
    static const std::set<std::string> flags{"-hide_banner", "-nostdin", "-nostats", "-sn", "-dn", "-y", "-vn"};
    static const std::set<std::string> valued{"-loglevel", "-ss",  "-i",  "-max_muxing_queue_size",
                                              "-c:v",      "-vf",  "-s",  "-aspect",
                                              "-c:a",      "-b:a", "-af", "-ac",
                                              "-ar",       "-t",   "-f"};
    QStringList arguments;
    for (std::size_t at = 0; at + 1 < current.size(); ++at) {
        const std::string &word = current[at];
        if (flags.count(word)) {
            arguments << QString::fromStdString(word);
            continue;
        }
        if (valued.count(word))
            arguments << QString::fromStdString(word) << QString::fromStdString(current[at + 1]);
        if (word == "-c:v" && request.videoBitrate)
            arguments << QStringLiteral("-b:v") << QString::number(*request.videoBitrate) + QLatin1Char('k');
        ++at;
    }
    arguments << QString::fromStdString(current.back());
    return arguments;
}
