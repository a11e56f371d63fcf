#pragma once

// Plays through Qt Multimedia into a video sink. Sound goes to the default
// audio device when there is one; without one the player gets no audio
// output at all, because Qt 6.4's FFmpeg backend crashes on an output that
// has no device.

#include "media/PlaybackBackend.h"

class QAudioOutput;
class QMediaPlayer;
class QVideoSink;

class TPlayerBackend : public TPlaybackBackend {
    Q_OBJECT
public:
    TPlayerBackend(QVideoSink *sink, QObject *parent = nullptr);
    ~TPlayerBackend() override;

    // Whether the system offers an audio device Qt can play to.
    static bool AudioDeviceAvailable();

    void Load(const QString &fileName, qint64 durationMs) override;
    void Unload() override;
    void Play() override;
    void Pause() override;
    void Stop() override;
    void Seek(qint64 positionMs) override;
    qint64 PositionMs() const override;

private:
    QMediaPlayer *m_player;
    QAudioOutput *m_audioOutput = nullptr;
};
