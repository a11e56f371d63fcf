#pragma once

// Debian's ffplay on the same file at the same window size, as the yardstick.
// Its status line counts the frames it dropped ("fd="); its processor time is
// read from /proc while it plays.

#include "PlaybackSample.h"
#include "ProcessCpu.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSize>

namespace bench {

class FfplayRun {
public:
    FfplayRun(const QString &file, const QSize &window)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // Audio is decoded and played to a silent device where there is no
        // sound card, as the preview's engine does.
        if (!env.contains(QStringLiteral("SDL_AUDIODRIVER")))
            env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        m_process.setProcessEnvironment(env);
        QObject::connect(&m_process, &QProcess::readyReadStandardError, [this] { readStatus(); });
        m_process.start(QStringLiteral("ffplay"),
                        {"-hide_banner", "-loglevel", "info", "-x", QString::number(window.width()), "-y",
                         QString::number(window.height()), "-autoexit", file});
    }
    ~FfplayRun()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    bool started() { return m_process.waitForStarted(5000); }

    PlaybackSample measure(int warmUpMs, int spanMs)
    {
        PlaybackSample sample;
        runEventsFor(warmUpMs);
        const qint64 pid = m_process.processId();
        const double cpuBefore = processCpuSeconds(pid);
        const int droppedBefore = m_dropped;
        QElapsedTimer clock;
        clock.start();
        runEventsFor(spanMs);
        sample.cpuSeconds = processCpuSeconds(pid) - cpuBefore;
        sample.wallSeconds = double(clock.nsecsElapsed()) / 1e9;
        sample.framesDropped = m_dropped < 0 || droppedBefore < 0 ? -1 : m_dropped - droppedBefore;
        sample.framesShown = -1;
        return sample;
    }

private:
    void readStatus()
    {
        static const QRegularExpression frameDrops(QStringLiteral("fd=\\s*(\\d+)"));
        m_status += m_process.readAllStandardError();
        const qsizetype end = m_status.lastIndexOf('\r');
        if (end < 0)
            return;
        const QString lines = QString::fromLatin1(m_status.left(end));
        m_status.remove(0, end + 1);
        QRegularExpressionMatchIterator it = frameDrops.globalMatch(lines);
        while (it.hasNext())
            m_dropped = it.next().captured(1).toInt();
    }

    QProcess m_process;
    QByteArray m_status;
    int m_dropped = -1;
};

} // namespace bench
