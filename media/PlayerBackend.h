#pragma once

// Plays through an mpv core: its own threads read and decode, sound goes to
// the system's output (mpv's silent one where there is none), and the video
// is drawn into the window through an TMpvVideoOutput. mpv's events are
// brought to the UI thread and handled there.

#include "media/MpvHandle.h"
#include "media/PlaybackBackend.h"

#include <QPointer>
#include <QSize>

#include <atomic>
#include <memory>
#include <optional>

class TDSVideoWindowEx2;
class TMpvVideoOutput;

class TPlayerBackend : public TPlaybackBackend {
    Q_OBJECT
public:
    explicit TPlayerBackend(TDSVideoWindowEx2 *window, QObject *parent = nullptr);
    ~TPlayerBackend() override;

    // The core and its video output started.
    bool ok() const;

    void Load(const QString &fileName, const media::ProbeResult &probe) override;
    void Unload() override;
    void Play() override;
    void Pause() override;
    void Stop() override;
    void Seek(qint64 positionMs) override;
    qint64 PositionMs() const override;

private:
    enum ObservedProperty : quint64 { EndReachedProperty = 1, DisplayWidthProperty, DisplayHeightProperty };

    static void onWakeup(void *self);
    void drainEvents();
    void handleEvent(const mpv_event &event);
    void propertyChanged(quint64 property, const mpv_event_property &change);
    void fileLoaded();
    void fileEnded(const mpv_event_end_file &end);
    void forgetFile();
    bool command(std::initializer_list<const char *> arguments);
    void setPaused(bool paused);
    qint64 playlistEntryId();
    void reportEndLater();

    media::MpvHandlePtr m_mpv;
    std::unique_ptr<TMpvVideoOutput> m_video; // goes before the core
    QPointer<TDSVideoWindowEx2> m_window;
    std::atomic<bool> m_drainPosted{false};

    qint64 m_entry = -1;                  // mpv's playlist entry of the file we loaded
    qint64 m_startedEntry = -1;           // the entry mpv last started
    bool m_fileLoaded = false;            // mpv has opened our file
    std::optional<qint64> m_seekTargetMs; // until mpv has finished the seek
    bool m_seekStarted = false;           // mpv has begun the last seek asked for
    bool m_seekPending = false;           // asked for before the file was open
    QSize m_displaySize;                  // of the loaded file's video, as mpv has it
};
