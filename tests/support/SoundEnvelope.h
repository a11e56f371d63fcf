#pragma once

// The loudness of a file's first sound, 10 ms at a time, on a time line, for
// telling whether two files carry the same sound at the same place.

#include <QByteArray>
#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace fixtures {

constexpr double envelopeStep = 0.01;

// Where the decoded frames go: each at its own timestamp, as a player
// following the timestamps puts them, or end to end from the first one's.
enum class Placement { Stamped, EndToEnd };

struct DecodedFrame {
    double start = 0.0;
    int samples = 0;
};

inline QByteArray standardOutputOf(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(120000);
    return process.readAllStandardOutput();
}

// The first sound's decoded frames and sample rate, as ffprobe reads them.
inline std::vector<DecodedFrame> decodedFrames(const QString &path, int *sampleRate)
{
    const QByteArray rate = standardOutputOf("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                                         "stream=sample_rate", "-of", "csv=p=0", path});
    *sampleRate = rate.trimmed().toInt();
    const QByteArray listing =
        standardOutputOf("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                     "frame=best_effort_timestamp_time,nb_samples", "-of", "csv=p=0", path});
    std::vector<DecodedFrame> frames;
    double next = 0.0;
    for (const QByteArray &line : listing.split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(',');
        if (fields.size() < 2)
            continue;
        bool timed = false;
        const double start = fields.at(0).toDouble(&timed);
        DecodedFrame frame{timed ? start : next, fields.at(1).toInt()};
        next = frame.start + double(frame.samples) / std::max(1, *sampleRate);
        frames.push_back(frame);
    }
    return frames;
}

// The root-mean-square level of every 10 ms of the first `seconds` of the
// timeline; empty when the file could not be decoded.
inline std::vector<double> soundEnvelope(const QString &path, Placement placement, double seconds)
{
    int rate = 0;
    const std::vector<DecodedFrame> frames = decodedFrames(path, &rate);
    const QByteArray pcm = standardOutputOf(
        "ffmpeg", {"-v", "error", "-nostdin", "-i", path, "-map", "0:a:0", "-ac", "1", "-f", "f32le", "-"});
    std::vector<float> samples(size_t(pcm.size()) / sizeof(float));
    std::memcpy(samples.data(), pcm.constData(), samples.size() * sizeof(float));
    if (frames.empty() || rate <= 0 || samples.empty())
        return {};
    std::vector<double> energy(size_t(seconds / envelopeStep), 0.0);
    size_t read = 0;
    double start = frames.front().start;
    for (const DecodedFrame &frame : frames) {
        if (placement == Placement::Stamped)
            start = frame.start;
        for (int i = 0; i < frame.samples && read < samples.size(); ++i, ++read) {
            const double bin = std::floor((start + double(i) / rate) / envelopeStep);
            if (bin >= 0 && bin < double(energy.size()))
                energy[size_t(bin)] += double(samples[read]) * samples[read];
        }
        start += double(frame.samples) / rate;
    }
    for (double &bin : energy)
        bin = std::sqrt(bin / (rate * envelopeStep));
    return energy;
}

// Pearson's correlation of a[i + lag] with b[i] over [from, to) of b.
inline double correlation(const std::vector<double> &a, const std::vector<double> &b, int lag, size_t from, size_t to)
{
    double sumA = 0, sumB = 0, sumAA = 0, sumBB = 0, sumAB = 0;
    int count = 0;
    for (size_t i = from; i < to && i < b.size(); ++i) {
        const long at = long(i) + lag;
        if (at < 0 || at >= long(a.size()))
            continue;
        const double x = a[size_t(at)];
        const double y = b[i];
        sumA += x, sumB += y, sumAA += x * x, sumBB += y * y, sumAB += x * y;
        ++count;
    }
    const double spreadA = count * sumAA - sumA * sumA;
    const double spreadB = count * sumBB - sumB * sumB;
    return spreadA > 0 && spreadB > 0 ? (count * sumAB - sumA * sumB) / std::sqrt(spreadA * spreadB) : 0.0;
}

// The lag, in steps of 10 ms within +-maxLag, at which a matches b best
// over [from, to) of b: positive when b's sound comes earlier than a's.
inline int bestLag(const std::vector<double> &a, const std::vector<double> &b, int maxLag, size_t from, size_t to)
{
    int best = 0;
    for (int lag = -maxLag; lag <= maxLag; ++lag) {
        if (correlation(a, b, lag, from, to) > correlation(a, b, best, from, to))
            best = lag;
    }
    return best;
}

} // namespace fixtures
