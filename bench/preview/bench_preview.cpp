// What the preview costs: process CPU per second of playback and frames shown
// against frames in the source, for the main window's player on three clips
// with sound, each against Debian's ffplay on the same file at the same
// window size; then the CPU of the idle main window with the clips listed.
//
//   bench_preview [clip folder, default $TMPDIR/movarel-bench-preview] [seconds measured, default 10]
//                 [rounds, default 1] [only the clips whose label holds this text, e.g. 1080]
//
// Run it on a real display server (bench/preview/run.sh starts Xvfb) so that
// both players paint through X. Exit code 0 when every goal is met: preview
// CPU at most 1.2 times ffplay's (0.95 at 1080p), no 1080p frame dropped, idle
// at most 0.5 %.

#include "Code/Globals.h"
#include "Code/UnitCustomProc.h"
#include "Code/Unit_CommonLib.h"
#include "Code/Unit_Convert.h"
#include "Code/core/TextFormats.h"
#include "FfplayRun.h"
#include "PlaybackSample.h"
#include "PreviewClips.h"
#include "ProcessCpu.h"
#include "media/FilterGraph.h"
#include "media/MediaProbe.h"
#include "media/VideoWindow.h"
#include "support/ProgramFixture.h"
#include "ui/PictureButton.h"
#include "ui/SourceGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTest>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int warmUpMs = 2000;
constexpr double cpuRatioGoal = 1.2;
constexpr double cpuRatioGoal1080 = 0.95;
constexpr double idleGoalPercent = 0.5;

// Counts the paints of the video window: it paints once per new picture.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget *window) : m_window(window) { m_window->installEventFilter(this); }
    ~PaintCounter() override { m_window->removeEventFilter(this); }
    int count() const { return m_count; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Paint)
            ++m_count;
        return false;
    }

private:
    QWidget *m_window;
    int m_count = 0;
};

void listClips(const QList<bench::PreviewClip> &clips)
{
    for (const bench::PreviewClip &clip : clips) {
        const QString duration = FormatDuration(media::ProbeMediaFile(clip.path).durationMs / 1000);
        FrmMainForm->dxTreeSourceFileInfo->Model()->AppendRow({QStringLiteral("True"), clip.path,
                                                               FormatFileSize(QFileInfo(clip.path).size()), duration,
                                                               QStringLiteral("00:00:00"), duration, duration});
    }
}

void selectRow(int row)
{
    TSourceGrid *grid = FrmMainForm->dxTreeSourceFileInfo;
    grid->clearSelection();
    grid->SelectRow(row);
    grid->SetFocusedRow(row);
    FrmMainForm->SyncTrimBar();
}

// Lets playback settle, then counts the process's CPU and the video window's
// paints over the span.
bench::PlaybackSample measurePlaying(QWidget *video, int fps, int spanMs)
{
    bench::runEventsFor(warmUpMs);
    bench::PlaybackSample sample;
    sample.sourceFps = fps;
    PaintCounter paints(video);
    const double cpuBefore = bench::processCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    bench::runEventsFor(spanMs);
    sample.cpuSeconds = bench::processCpuSeconds() - cpuBefore;
    sample.wallSeconds = double(clock.nsecsElapsed()) / 1e9;
    sample.framesShown = paints.count();
    sample.framesDropped = std::max(0, sample.framesInSource() - sample.framesShown);
    return sample;
}

// The main window's player on one listed clip, as a click on Play starts it.
bench::PlaybackSample measurePreview(int row, int fps, int spanMs)
{
    selectRow(row);
    FrmMainForm->btnPlay->click();
    if (CustomProc->PlayerState.File.isEmpty())
        return {}; // not played: no figures
    const bench::PlaybackSample sample = measurePlaying(FrmMainForm->DSVideoWindowEx1, fps, spanMs);
    FrmMainForm->btnStop->click();
    return sample;
}

// The same span for the engine alone: a graph and a shown video window of the
// main window's size, the main window hidden meanwhile.
bench::PlaybackSample measureEngine(const bench::PreviewClip &clip, const QSize &window, int spanMs)
{
    FrmMainForm->hide();
    const auto showAgain = qScopeGuard([] { FrmMainForm->show(); });
    TDSVideoWindowEx2 video;
    video.resize(window);
    video.show();
    TFilterGraph graph;
    graph.SetVideoWindow(&video);
    graph.SetActive(true);
    if (!QTest::qWaitForWindowExposed(&video) || graph.RenderFile(clip.path) != 0)
        return {};
    graph.Play();
    return measurePlaying(&video, clip.fps, spanMs);
}

bench::PlaybackSample measureFfplay(const bench::PreviewClip &clip, const QSize &window, int spanMs)
{
    bench::FfplayRun ffplay(clip.path, window);
    if (!ffplay.started())
        return {};
    bench::PlaybackSample sample = ffplay.measure(warmUpMs, spanMs);
    sample.sourceFps = clip.fps;
    return sample;
}

double measureIdlePercent(int spanMs)
{
    selectRow(0);
    bench::runEventsFor(warmUpMs);
    const double cpuBefore = bench::processCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    bench::runEventsFor(spanMs);
    return 100.0 * (bench::processCpuSeconds() - cpuBefore) / (double(clock.nsecsElapsed()) / 1e9);
}

QString framesText(const bench::PlaybackSample &sample)
{
    if (sample.framesShown < 0)
        return sample.framesDropped < 0 ? QStringLiteral("?") : QStringLiteral("%1 dropped").arg(sample.framesDropped);
    return QStringLiteral("%1/%2, %3 dropped")
        .arg(sample.framesShown)
        .arg(sample.framesInSource())
        .arg(sample.framesDropped);
}

void printRound(int round, const bench::PlaybackSample &ours, const bench::PlaybackSample &theirs,
                const bench::PlaybackSample &engine)
{
    const double ratio = theirs.cpuPercent() > 0.0 ? ours.cpuPercent() / theirs.cpuPercent() : 0.0;
    std::printf("  round %-16d %8.1f %% %8.1f %% %6.2f   %-24s %-18s %.1f %%, %s\n", round + 1, ours.cpuPercent(),
                theirs.cpuPercent(), ratio, qPrintable(framesText(ours)), qPrintable(framesText(theirs)),
                engine.cpuPercent(), qPrintable(framesText(engine)));
    std::fflush(stdout);
}

// Playback figures of a clip over several rounds: the processor time of the
// median round, since single 10 s spans of a few per cent of a core move by a
// point or more between runs, and the frames of the round that dropped most.
bench::PlaybackSample summarise(QList<bench::PlaybackSample> rounds)
{
    std::sort(rounds.begin(), rounds.end(), [](const bench::PlaybackSample &a, const bench::PlaybackSample &b) {
        return a.cpuPercent() < b.cpuPercent();
    });
    bench::PlaybackSample summary = rounds.at(rounds.size() / 2);
    const auto worst = std::max_element(rounds.cbegin(), rounds.cend(),
                                        [](const auto &a, const auto &b) { return a.framesDropped < b.framesDropped; });
    summary.framesShown = worst->framesShown;
    summary.framesDropped = worst->framesDropped;
    summary.wallSeconds = worst->wallSeconds;
    summary.cpuSeconds = rounds.at(rounds.size() / 2).cpuPercent() * summary.wallSeconds / 100.0;
    return summary;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString folder =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::temp().filePath(QStringLiteral("movarel-bench-preview"));
    const int spanMs = 1000 * (argc > 2 ? std::max(2, QByteArray(argv[2]).toInt()) : 10);
    const int rounds = argc > 3 ? std::max(1, QByteArray(argv[3]).toInt()) : 1;

    QList<bench::PreviewClip> clips = bench::previewClipSet();
    if (argc > 4) {
        const QString only = QString::fromLocal8Bit(argv[4]);
        clips.removeIf([&](const bench::PreviewClip &clip) { return !clip.label.contains(only); });
    }
    std::printf("Preparing clips in %s ...\n", qPrintable(folder));
    std::fflush(stdout);
    if (!bench::makePreviewClips(clips, folder, (warmUpMs + spanMs) / 1000.0 + 3.0))
        return 2;

    ProgramFixture program; // a temporary program folder; nothing is opened or powered off
    FrmMainForm->show();
    if (!QTest::qWaitForWindowExposed(FrmMainForm)) {
        std::fprintf(stderr, "the main window was not shown\n");
        return 2;
    }
    listClips(clips);
    const QSize window = FrmMainForm->DSVideoWindowEx1->size();
    std::printf("platform %s, video window %dx%d, %d s measured after %d ms, %d round(s): median CPU, most "
                "frames dropped\n\n",
                qPrintable(QGuiApplication::platformName()), window.width(), window.height(), spanMs / 1000, warmUpMs,
                rounds);

    const double idle = measureIdlePercent(spanMs);
    std::printf("idle main window, %d files listed: %.2f %% of a core\n\n", int(clips.size()), idle);
    bool met = idle <= idleGoalPercent;

    std::printf("%-24s %10s %10s %6s   %-24s %-18s %s\n", "clip", "Movarel", "ffplay", "ratio", "Movarel frames",
                "ffplay frames", "engine alone");
    for (qsizetype i = 0; i < clips.size(); ++i) {
        QList<bench::PlaybackSample> oursRounds, theirsRounds, engineRounds;
        for (int round = 0; round < rounds; ++round) {
            oursRounds.append(measurePreview(int(i), clips.at(i).fps, spanMs));
            theirsRounds.append(measureFfplay(clips.at(i), window, spanMs));
            engineRounds.append(measureEngine(clips.at(i), window, spanMs));
            printRound(round, oursRounds.last(), theirsRounds.last(), engineRounds.last());
        }
        const bench::PlaybackSample ours = summarise(oursRounds);
        const bench::PlaybackSample theirs = summarise(theirsRounds);
        const bench::PlaybackSample engine = summarise(engineRounds);
        const double ratio = theirs.cpuPercent() > 0.0 ? ours.cpuPercent() / theirs.cpuPercent() : 0.0;
        std::printf("%-24s %8.1f %% %8.1f %% %6.2f   %-24s %-18s %.1f %%, %s\n", qPrintable(clips.at(i).label),
                    ours.cpuPercent(), theirs.cpuPercent(), ratio, qPrintable(framesText(ours)),
                    qPrintable(framesText(theirs)), engine.cpuPercent(), qPrintable(framesText(engine)));
        std::fflush(stdout);
        met = met && ours.wallSeconds > 0.0 && ratio <= cpuRatioGoal;
        if (clips.at(i).size.height() >= 1080)
            met = met && ratio <= cpuRatioGoal1080 && ours.framesShown + 1 >= ours.framesInSource();
    }
    std::printf("\n%s\n", met ? "goals met" : "goals NOT met");
    return met ? 0 : 1;
}
