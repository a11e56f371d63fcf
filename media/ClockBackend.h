#pragma once

// Plays a file with sound only when there is no audio device: nothing can be
// heard, so the position follows the wall clock from the start to the
// file's duration, as a graph rendering to a silent output would.

#include "media/PlaybackBackend.h"

#include <QElapsedTimer>
#include <QTimer>

class TClockBackend : public TPlaybackBackend {
    Q_OBJECT
public:
    explicit TClockBackend(QObject *parent = nullptr);

    void Load(const QString &fileName, qint64 durationMs) override;
    void Unload() override;
    void Play() override;
    void Pause() override;
    void Stop() override;
    void Seek(qint64 positionMs) override;
    qint64 PositionMs() const override;

private:
    void scheduleEnd();
    void reachEnd();

    qint64 m_durationMs = 0;
    qint64 m_baseMs = 0; // position when the clock last started or stopped
    bool m_running = false;
    QElapsedTimer m_sinceStart;
    QTimer m_endTimer;
};
