#include "media/ClockBackend.h"

#include <algorithm>
#include <limits>

TClockBackend::TClockBackend(QObject *parent) : TPlaybackBackend(parent)
{
    m_endTimer.setSingleShot(true);
    m_endTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_endTimer, &QTimer::timeout, this, &TClockBackend::reachEnd);
}

void TClockBackend::Load(const QString &, qint64 durationMs)
{
    Unload();
    m_durationMs = std::max<qint64>(durationMs, 0);
}

void TClockBackend::Unload()
{
    Stop();
    m_durationMs = 0;
}

void TClockBackend::Play()
{
    if (m_running)
        return;
    m_running = true;
    m_sinceStart.start();
    scheduleEnd();
}

void TClockBackend::Pause()
{
    m_baseMs = PositionMs();
    m_running = false;
    m_endTimer.stop();
}

void TClockBackend::Stop()
{
    m_running = false;
    m_baseMs = 0;
    m_endTimer.stop();
}

void TClockBackend::Seek(qint64 positionMs)
{
    m_baseMs = std::clamp<qint64>(positionMs, 0, m_durationMs);
    if (m_running) {
        m_sinceStart.start();
        scheduleEnd();
    }
}

qint64 TClockBackend::PositionMs() const
{
    if (!m_running)
        return m_baseMs;
    return std::min(m_baseMs + m_sinceStart.elapsed(), m_durationMs);
}

void TClockBackend::scheduleEnd()
{
    const qint64 remaining = std::clamp<qint64>(m_durationMs - PositionMs(), 0, std::numeric_limits<int>::max());
    m_endTimer.start(int(remaining));
}

void TClockBackend::reachEnd()
{
    m_running = false;
    m_baseMs = m_durationMs;
    Q_EMIT EndReached();
}
