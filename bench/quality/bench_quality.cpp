// Asked against delivered bitrates of vidcoda's video outputs, their quality
// (SSIM, PSNR) against the source, and their encode time against ffmpeg run
// with the arguments vidcoda gave it before its rate control ("today").
//
//   bench_quality [runs per side, default 3] [clip seconds, default 20] [vidcoda path]
//
// For every source, both video output types with each quality preset and the
// custom cases: medians of the timed runs; then vidcoda asked for the rate
// that today's arguments delivered, so that quality is compared at the same
// bitrate; and, where vidcoda delivers more than asked, vidcoda asked for
// 1 kbit/s, the smallest it can deliver. Exit code 0 when every video rate is
// within 10 % of the ask or at that floor and not above today's, every audio
// rate within 10 % or at the AAC encoder's ceiling, SSIM at today's rate not
// lower, and the median time at most 1.5 times today's.

#include "QualityCases.h"
#include "QualityMeasure.h"
#include "QualitySources.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double rateTolerance = 0.10;
constexpr double timeTarget = 1.5;
// vidcoda's output size in every preset.
const QString outputSize = QStringLiteral("320x240");

struct Side {
    double seconds = 0.0; // median wall time
    double cpu = 0.0;     // median processor time
    DeliveredRates rates;
    Fidelity quality;
};

struct Row {
    Side vidcoda, today;
    double isoKbit = 0.0; // vidcoda asked for today's delivered rate
    double isoSsim = 0.0;
    double floorKbit = 0.0; // vidcoda asked for 1 kbit/s; 0 when not needed
    QString videoStatus, audioStatus;
    bool met = true;
};

QTextStream out(stdout);

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0.0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

double loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readLine().split(' ').value(0).toDouble() : 0.0;
}

// About the most ffmpeg's AAC encoder spends: its psychoacoustic model
// budgets at most 2560 bits per channel and 1024-sample frame, and what it
// delivers at such asks stays near one and a half times that.
double aacCeilingKbit(int channels, int sampleRate)
{
    return 3840.0 * channels * sampleRate / 1024.0 / 1000.0;
}

double deviation(double delivered, double asked)
{
    return asked > 0 ? (delivered - asked) / asked : 0.0;
}

struct Runner {
    QString vidcoda;
    QString folder;
    int runs;

    // Timed runs of both sides, the side that goes first alternating.
    void timeBoth(const QStringList &encoderArgs, const QStringList &todayArgs, Row &row) const
    {
        std::vector<Timing> mine, theirs;
        for (int run = 0; run < runs; ++run) {
            if (run % 2 == 0)
                mine.push_back(runTimed(vidcoda, encoderArgs));
            theirs.push_back(runTimed(QStringLiteral("ffmpeg"), todayArgs));
            if (run % 2 == 1)
                mine.push_back(runTimed(vidcoda, encoderArgs));
        }
        for (auto [side, timings] : {std::pair{&row.vidcoda, &mine}, std::pair{&row.today, &theirs}}) {
            std::vector<double> walls, cpus;
            for (const Timing &timing : *timings) {
                walls.push_back(timing.wall);
                cpus.push_back(timing.cpu);
            }
            side->seconds = median(walls);
            side->cpu = median(cpus);
        }
    }

    // vidcoda asked for a rate, corrected at most twice towards the target.
    double deliverAbout(const QualityCase &qualityCase, const QString &source, const QString &output, double target,
                        double &ssim) const
    {
        double ask = target;
        double delivered = 0.0;
        for (int attempt = 0; attempt < 3; ++attempt) {
            runTimed(vidcoda, encoderArguments(qualityCase, source, output, std::max(1, int(std::lround(ask)))));
            delivered = deliveredRates(output).videoKbit;
            if (std::abs(deviation(delivered, target)) <= 0.03 || delivered <= 0.0)
                break;
            ask *= target / delivered;
        }
        ssim = fidelity(output, source, qualityCase.frameRate, outputSize).ssim;
        return delivered;
    }

    Row measure(const QualityCase &qualityCase, const QString &source) const
    {
        const QString mineOut = folder + QStringLiteral("/vidcoda") + qualityCase.extension;
        const QString todayOut = folder + QStringLiteral("/today") + qualityCase.extension;
        const QString extraOut = folder + QStringLiteral("/extra") + qualityCase.extension;
        const QStringList encoderArgs = encoderArguments(qualityCase, source, mineOut);
        Row row;
        timeBoth(encoderArgs, todaysFfmpegArguments(encoderArgs, todayOut), row);
        for (auto [side, file] : {std::pair{&row.vidcoda, mineOut}, std::pair{&row.today, todayOut}}) {
            side->rates = deliveredRates(file);
            side->quality = fidelity(file, source, qualityCase.frameRate, outputSize);
        }
        row.isoKbit = deliverAbout(qualityCase, source, extraOut, row.today.rates.videoKbit, row.isoSsim);
        judge(qualityCase, source, extraOut, row);
        return row;
    }

    void judge(const QualityCase &qualityCase, const QString &source, const QString &extraOut, Row &row) const
    {
        const double video = row.vidcoda.rates.videoKbit;
        if (std::abs(deviation(video, qualityCase.videoKbit)) <= rateTolerance) {
            row.videoStatus = QStringLiteral("ok");
        } else {
            runTimed(vidcoda, encoderArguments(qualityCase, source, extraOut, 1));
            row.floorKbit = deliveredRates(extraOut).videoKbit;
            const bool atFloor = video > qualityCase.videoKbit && video <= row.floorKbit * (1.0 + rateTolerance) &&
                                 video <= row.today.rates.videoKbit;
            row.videoStatus = atFloor ? QStringLiteral("floor") : QStringLiteral("MISS");
        }
        const double audio = row.vidcoda.rates.audioKbit;
        const double ceiling = aacCeilingKbit(qualityCase.channels, qualityCase.sampleRate);
        if (std::abs(deviation(audio, qualityCase.audioKbit)) <= rateTolerance)
            row.audioStatus = QStringLiteral("ok");
        else if (qualityCase.audioKbit > ceiling && audio >= ceiling * (1.0 - rateTolerance))
            row.audioStatus = QStringLiteral("ceiling");
        else
            row.audioStatus = QStringLiteral("MISS");
        const bool timeMet = row.vidcoda.seconds <= timeTarget * row.today.seconds;
        row.met = row.videoStatus != QLatin1String("MISS") && row.audioStatus != QLatin1String("MISS") &&
                  row.isoSsim >= row.today.quality.ssim && timeMet;
    }
};

QString fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

QString percent(double value)
{
    return (value >= 0 ? QStringLiteral("+") : QString()) + QString::number(value * 100.0, 'f', 1) + QLatin1Char('%');
}

void printHeader()
{
    out << "| source | type | quality | ask v/a | video vidcoda (today) | video | audio | SSIM vidcoda (today) | "
           "PSNR vidcoda (today) | at today's rate: kbit/s, SSIM | floor | time s vidcoda / today | ratio | "
           "CPU s vidcoda / today | ratio | met |\n"
           "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n";
}

void printRow(const QString &source, const QualityCase &qualityCase, const Row &row)
{
    const double video = row.vidcoda.rates.videoKbit;
    out << "| " << source << " | " << qualityCase.type << " | " << qualityCase.quality << " | " << qualityCase.videoKbit
        << "/" << qualityCase.audioKbit << " | " << fixed(video, 1) << " (" << fixed(row.today.rates.videoKbit, 1)
        << ") | " << percent(deviation(video, qualityCase.videoKbit)) << ' ' << row.videoStatus << " | "
        << fixed(row.vidcoda.rates.audioKbit, 1) << ' '
        << percent(deviation(row.vidcoda.rates.audioKbit, qualityCase.audioKbit)) << ' ' << row.audioStatus << " | "
        << fixed(row.vidcoda.quality.ssim, 4) << " (" << fixed(row.today.quality.ssim, 4) << ") | "
        << fixed(row.vidcoda.quality.psnr, 2) << " (" << fixed(row.today.quality.psnr, 2) << ") | "
        << fixed(row.isoKbit, 1) << ", " << fixed(row.isoSsim, 4) << " | "
        << (row.floorKbit > 0 ? fixed(row.floorKbit, 1) : QStringLiteral("-")) << " | " << fixed(row.vidcoda.seconds, 2)
        << " / " << fixed(row.today.seconds, 2) << " | "
        << fixed(row.today.seconds > 0 ? row.vidcoda.seconds / row.today.seconds : 0.0, 2) << " | "
        << fixed(row.vidcoda.cpu, 2) << " / " << fixed(row.today.cpu, 2) << " | "
        << fixed(row.today.cpu > 0 ? row.vidcoda.cpu / row.today.cpu : 0.0, 2) << " | " << (row.met ? "yes" : "NO")
        << " |\n"
        << Qt::flush;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = std::max(1, args.value(1, QStringLiteral("3")).toInt());
    const int seconds = std::max(2, args.value(2, QStringLiteral("20")).toInt());
    QTemporaryDir folder;
    const Runner runner{args.value(3, QStringLiteral(VIDCODA_PATH)), folder.path(), runs};
    const QList<QualitySource> sources = makeQualitySources(folder.path(), seconds);
    if (sources.isEmpty()) {
        out << "could not make the source clips\n";
        return 2;
    }
    const double loadBefore = loadAverage();
    out << "vidcoda: " << runner.vidcoda << "\nruns per side: " << runs << ", clips of " << seconds
        << " s at 640x480 30 frames/s; load average " << fixed(loadBefore, 2) << "\n\n";
    printHeader();
    std::vector<double> ratios;
    int unmet = 0;
    for (const QualitySource &source : sources) {
        for (const QualityCase &qualityCase : qualityCases()) {
            const Row row = runner.measure(qualityCase, source.path);
            printRow(source.name, qualityCase, row);
            ratios.push_back(row.today.seconds > 0 ? row.vidcoda.seconds / row.today.seconds : 0.0);
            unmet += row.met ? 0 : 1;
        }
    }
    out << "\nmedian time ratio " << fixed(median(ratios), 2) << ", worst "
        << fixed(*std::max_element(ratios.begin(), ratios.end()), 2) << "; rows not met: " << unmet << "; load average "
        << fixed(loadBefore, 2) << " before, " << fixed(loadAverage(), 2) << " after\n";
    return unmet == 0 ? 0 : 1;
}
