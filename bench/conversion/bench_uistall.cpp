// How long the window's thread goes without handling its events while a batch
// encodes: a 10 ms timer runs from the Convert click to the end of the batch,
// and each tick's lateness is a stall the user would feel. One row, a
// generated clip, the real vidcoda in a temporary program folder, the real
// pauses around the encoder start.
//
//   bench_uistall [clip seconds, default 20] [clip size, default 640x480]
//
// Exit code 0 when the longest stall is at most 50 ms and the row converted.

#include "Code/Unit_Converting.h"
#include "Code/conversion/ConversionBatch.h"
#include "Code/core/TextFormats.h"
#include "support/MediaFixtures.h"
#include "support/ProgramFixture.h"
#include "ui/PictureButton.h"
#include "ui/SourceGrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

constexpr qint64 tickMs = 10;
constexpr double targetMs = 50.0;

// The window thread's time on a processor and waiting for one, from the
// kernel's scheduler statistics, in nanoseconds.
struct SchedulerTimes {
    qint64 running = 0;
    qint64 queued = 0;
};
SchedulerTimes schedulerTimes()
{
    QFile file(QStringLiteral("/proc/thread-self/schedstat"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> fields = file.readAll().simplified().split(' ');
    if (fields.size() < 2)
        return {};
    return {fields.at(0).toLongLong(), fields.at(1).toLongLong()};
}

// One late tick. Of the time between two ticks, the thread spent `busyMs`
// working, `queuedMs` ready but waiting for a processor (a busy machine), and
// the rest asleep or blocked in the kernel.
struct Stall {
    double lateMs = 0.0;
    double atSeconds = 0.0;
    double busyMs = 0.0;
    double queuedMs = 0.0;
};

// Records how late each tick of a 10 ms timer comes.
class StallMeter {
public:
    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(int(tickMs));
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
    }

    void start()
    {
        m_clock.start();
        m_last = 0;
        m_lastTimes = schedulerTimes();
        m_timer.start();
    }
    void stop()
    {
        tick();
        m_timer.stop();
    }

    // The longest stalls, longest first.
    QList<Stall> worst(qsizetype count) const
    {
        QList<Stall> sorted = m_stalls;
        std::sort(sorted.begin(), sorted.end(), [](const Stall &a, const Stall &b) { return a.lateMs > b.lateMs; });
        return sorted.mid(0, count);
    }
    int ticks() const { return int(m_stalls.size()); }
    // Lateness that `share` of the ticks stay within (0.99: the 99th percentile).
    double percentile(double share) const
    {
        QList<double> late;
        for (const Stall &stall : m_stalls)
            late.append(stall.lateMs);
        if (late.isEmpty())
            return 0.0;
        std::sort(late.begin(), late.end());
        return late.at(std::min(late.size() - 1, qsizetype(share * double(late.size()))));
    }
    // The longest stall left once the time spent waiting for a processor is
    // taken off: what the program itself held the thread for.
    double longestOwnStall() const
    {
        double longest = 0.0;
        for (const Stall &stall : m_stalls)
            longest = std::max(longest, stall.lateMs - stall.queuedMs);
        return longest;
    }
    // Processor time the window thread used during the measurement.
    double busySeconds() const
    {
        double total = 0.0;
        for (const Stall &stall : m_stalls)
            total += stall.busyMs;
        return total / 1e3;
    }
    double seconds() const { return double(m_clock.nsecsElapsed()) / 1e9; }

private:
    void tick()
    {
        const qint64 now = m_clock.nsecsElapsed();
        const SchedulerTimes times = schedulerTimes();
        const double late = double(now - m_last) / 1e6 - double(tickMs);
        m_stalls.append({std::max(0.0, late), double(now) / 1e9, double(times.running - m_lastTimes.running) / 1e6,
                         double(times.queued - m_lastTimes.queued) / 1e6});
        m_last = now;
        m_lastTimes = times;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    SchedulerTimes m_lastTimes;
    QList<Stall> m_stalls;
};

bool installEncoder(const ProgramFixture &program)
{
    const QString target = program.path(QStringLiteral("vidcoda"));
    return QFile::copy(QStringLiteral(VIDCODA_PATH), target) &&
           QFile::setPermissions(target, QFile::permissions(QStringLiteral(VIDCODA_PATH)));
}

void addRow(const QString &clip, qint64 seconds)
{
    const QString duration = FormatDuration(seconds);
    FrmMainForm->dxTreeSourceFileInfo->Model()->AppendRow({QStringLiteral("True"), clip,
                                                           FormatFileSize(QFileInfo(clip).size()), duration,
                                                           QStringLiteral("00:00:00"), duration, duration});
}

// Presses Convert from the event loop, as a user's click would, and measures
// until the batch has ended; gives how it ended and the last row's output.
TBatchOutcome runBatch(StallMeter &meter, QString &outputPath)
{
    QEventLoop loop;
    TBatchOutcome outcome;
    QObject::connect(FrmMainForm->ConversionBatch(), &TConversionBatch::RowStarting, &loop,
                     [&](const TConversionJob &job) { outputPath = job.Parameters.OutputPath; });
    QObject::connect(FrmMainForm->ConversionBatch(), &TConversionBatch::Finished, &loop,
                     [&](const TBatchOutcome &ended) {
                         meter.stop();
                         outcome = ended;
                         loop.quit();
                     });
    QTimer::singleShot(0, [&] {
        meter.start();
        FrmMainForm->btnConvert->click();
    });
    loop.exec();
    return outcome;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 clipSeconds = argc > 1 ? QByteArray(argv[1]).toLongLong() : 20;
    if (clipSeconds < 2) {
        std::fprintf(stderr, "clip seconds: at least 2\n");
        return 2;
    }

    ProgramFixture program; // its fake platform never powers off or opens windows
    QTemporaryDir media;
    QTemporaryDir outputs;
    fixtures::ClipSpec clipSpec;
    clipSpec.seconds = double(clipSeconds);
    if (argc > 2) {
        const QList<QByteArray> size = QByteArray(argv[2]).split('x');
        clipSpec.size = size.size() == 2 ? QSize(size.at(0).toInt(), size.at(1).toInt()) : QSize();
    } else {
        clipSpec.size = QSize(640, 480);
    }
    if (clipSpec.size.isEmpty()) {
        std::fprintf(stderr, "clip size: WIDTHxHEIGHT\n");
        return 2;
    }
    const QString clip = fixtures::makeClip(media.path(), QStringLiteral("clip.avi"), clipSpec);
    if (clip.isEmpty() || !installEncoder(program)) {
        std::fprintf(stderr, "could not prepare the clip or the encoder\n");
        return 2;
    }
    addRow(clip, clipSeconds);
    FrmMainForm->edtOutputFolder->setText(outputs.path());
    FrmMainForm->chkShowOutputDirectory->setChecked(false);
    FrmMainForm->chkShutdown->setChecked(false);
    FrmMainForm->ConversionBatch()->PauseBeforeStartMs = 2000;
    FrmMainForm->ConversionBatch()->PauseAfterStartMs = 3000;
    FrmMainForm->show();
    if (!QTest::qWaitForWindowExposed(FrmMainForm)) {
        std::fprintf(stderr, "the main window did not appear\n");
        return 2;
    }

    StallMeter meter;
    QString outputPath;
    const TBatchOutcome outcome = runBatch(meter, outputPath);

    const QFileInfo output(outputPath);
    const bool converted = output.exists() && output.size() > 0 && outcome.FailedRows.isEmpty();
    const QList<Stall> worst = meter.worst(5);
    const double longest = worst.isEmpty() ? 0.0 : worst.first().lateMs;
    std::printf("batch of one %lld s %dx%d clip: %.1f s, %d timer ticks, output %s\n",
                static_cast<long long>(clipSeconds), clipSpec.size.width(), clipSpec.size.height(), meter.seconds(),
                meter.ticks(), converted ? "written" : "MISSING");
    std::printf("window thread on a processor: %.2f s of %.2f s\n", meter.busySeconds(), meter.seconds());
    std::printf("lateness: 99th percentile %.1f ms; longest without the waits for a processor %.1f ms\n",
                meter.percentile(0.99), meter.longestOwnStall());
    for (const Stall &stall : worst)
        std::printf("  stall %7.1f ms at %6.2f s: working %6.1f ms, waiting for a processor %6.1f ms\n", stall.lateMs,
                    stall.atSeconds, stall.busyMs, stall.queuedMs);
    std::printf("longest UI stall: %.1f ms (target <= %.0f ms): %s\n", longest, targetMs,
                longest <= targetMs ? "met" : "MISSED");
    for (const QString &text : program.prompts->texts())
        std::printf("box shown: %s\n", qPrintable(text));
    return converted && longest <= targetMs ? 0 : 1;
}
