#pragma once

// One measured stretch of playback: processor time and frames over a span of
// wall-clock time.

#include <QEventLoop>
#include <QTimer>

namespace bench {

struct PlaybackSample {
    double cpuSeconds = 0.0;
    double wallSeconds = 0.0;
    int framesShown = 0;   // -1: not known
    int framesDropped = 0; // -1: not known
    int sourceFps = 0;

    double cpuPercent() const { return wallSeconds > 0.0 ? 100.0 * cpuSeconds / wallSeconds : 0.0; }
    int framesInSource() const { return int(double(sourceFps) * wallSeconds + 0.5); }
};

// Runs the event loop for the given time.
inline void runEventsFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace bench
