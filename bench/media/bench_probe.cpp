// Probing cost: measuring a few hundred files of mixed containers in this
// process (the source list's probe sequence on one graph) against starting
// one ffprobe process per file. Both run in one go over the same files,
// which are read once beforehand so that both find them in the page cache.
//
// Usage: bench_probe [copies per container, default 20]

#include "../../tests/support/MediaFixtures.h"
#include "media/FilterGraph.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Sample {
    QString extension;
    qint64 nanoseconds = 0;
    qint64 seconds = -1; // measured whole seconds, -1 on failure
};

double medianMs(std::vector<qint64> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    const double ns = values.size() % 2 ? double(values[middle]) : (values[middle - 1] + values[middle]) / 2.0;
    return ns / 1e6;
}

double percentileMs(std::vector<qint64> values, double fraction)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(fraction * double(values.size())));
    return double(values[index]) / 1e6;
}

std::vector<qint64> timesOf(const std::vector<Sample> &samples)
{
    std::vector<qint64> times;
    for (const Sample &sample : samples)
        times.push_back(sample.nanoseconds);
    return times;
}

// One clip per container, copied `copies` times.
QStringList makeFiles(const QString &folder, int copies)
{
    QStringList files;
    for (const QString &extension : fixtures::acceptedExtensions()) {
        const QString original = fixtures::makeClip(folder, "clip" + extension);
        if (original.isEmpty())
            continue;
        for (int copy = 0; copy < copies; ++copy) {
            const QString name =
                QDir(folder).filePath(QStringLiteral("copy%1%2").arg(copy, 3, 10, QChar('0')).arg(extension));
            QFile::copy(original, name);
            files << name;
        }
    }
    return files;
}

void warmPageCache(const QStringList &files)
{
    for (const QString &name : files) {
        QFile file(name);
        if (file.open(QIODevice::ReadOnly))
            file.readAll();
    }
}

Sample probeInProcess(TFilterGraph &graph, const QString &file)
{
    Sample sample{QFileInfo(file).suffix(), 0, -1};
    QElapsedTimer timer;
    timer.start();
    try {
        graph.ClearGraph();
        graph.SetActive(true);
        graph.RenderFile(file);
        sample.seconds = graph.Duration() / 1000;
        graph.SetActive(false);
    } catch (const EDirectShowException &) {
    }
    sample.nanoseconds = timer.nsecsElapsed();
    return sample;
}

Sample probeWithFfprobe(const QString &file)
{
    Sample sample{QFileInfo(file).suffix(), 0, -1};
    QElapsedTimer timer;
    timer.start();
    QProcess ffprobe;
    ffprobe.start("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", file});
    ffprobe.waitForFinished(60000);
    const QByteArray text = ffprobe.readAllStandardOutput().trimmed();
    sample.nanoseconds = timer.nsecsElapsed();
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (ok)
        sample.seconds = qint64(seconds);
    return sample;
}

QString secondsText(qint64 seconds)
{
    return seconds < 0 ? QStringLiteral("n/a") : QString::number(seconds);
}

struct ContainerRow {
    std::vector<qint64> own;
    std::vector<qint64> other;
    QString seconds; // in-process/ffprobe, from the last copy
};

void printPerContainer(const std::vector<Sample> &own, const std::vector<Sample> &other)
{
    QMap<QString, ContainerRow> rows;
    for (size_t i = 0; i < own.size() && i < other.size(); ++i) {
        ContainerRow &row = rows[own[i].extension];
        row.own.push_back(own[i].nanoseconds);
        row.other.push_back(other[i].nanoseconds);
        row.seconds = secondsText(own[i].seconds) + "/" + secondsText(other[i].seconds);
    }
    std::printf("%-6s %12s %12s %10s\n", "ext", "in-process", "ffprobe", "seconds");
    for (auto it = rows.cbegin(); it != rows.cend(); ++it)
        std::printf("%-6s %9.3f ms %9.3f ms %10s\n", qPrintable(it.key()), medianMs(it.value().own),
                    medianMs(it.value().other), qPrintable(it.value().seconds));
}

int countMismatches(const std::vector<Sample> &own, const std::vector<Sample> &other)
{
    int mismatches = 0;
    for (size_t i = 0; i < own.size() && i < other.size(); ++i) {
        if (own[i].seconds < 0 || (other[i].seconds >= 0 && other[i].seconds != own[i].seconds))
            ++mismatches;
    }
    return mismatches;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int copies = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 20;

    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    std::printf("generating %d copies of %lld containers...\n", copies,
                static_cast<long long>(fixtures::acceptedExtensions().size()));
    const QStringList files = makeFiles(dir.path(), copies);
    warmPageCache(files);

    TFilterGraph graph;
    std::vector<Sample> own;
    for (const QString &file : files)
        own.push_back(probeInProcess(graph, file));
    std::vector<Sample> other;
    for (const QString &file : files)
        other.push_back(probeWithFfprobe(file));

    const double ownMedian = medianMs(timesOf(own));
    const double otherMedian = medianMs(timesOf(other));
    const double ratio = ownMedian > 0 ? otherMedian / ownMedian : 0.0;
    std::printf("\nmedian per file, by container (whole seconds measured in-process/ffprobe):\n");
    printPerContainer(own, other);
    std::printf("\nfiles: %lld\n", static_cast<long long>(files.size()));
    std::printf("in-process: median %.3f ms, 90th percentile %.3f ms per file\n", ownMedian,
                percentileMs(timesOf(own), 0.9));
    std::printf("ffprobe:    median %.3f ms, 90th percentile %.3f ms per file\n", otherMedian,
                percentileMs(timesOf(other), 0.9));
    std::printf("ratio (ffprobe / in-process median): %.1fx\n", ratio);
    const int mismatches = countMismatches(own, other);
    std::printf("duration disagreements or failures: %d\n", mismatches);
    const bool met = ownMedian <= 1.0 && ratio >= 50.0 && mismatches == 0;
    std::printf("target (<= 1 ms median, >= 50x, no disagreement): %s\n", met ? "met" : "NOT met");
    return met ? 0 : 2;
}
