#pragma once

// The media engine's graph. A graph bound to a video window plays the
// rendered file into it; a graph bound to none only measures files.
// Positions are in 100-ns units, the duration in whole milliseconds.

#include "media/DirectShowException.h"
#include "media/MediaProbe.h"
#include "media/ResultCodes.h"

#include <QObject>
#include <QPointer>
#include <QString>

class TDSVideoWindowEx2;
class TPlaybackBackend;

class TFilterGraph : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 HundredNsPerMs = 10000;

    explicit TFilterGraph(QObject *parent = nullptr);
    ~TFilterGraph() override;

    void SetVideoWindow(TDSVideoWindowEx2 *window);
    TDSVideoWindowEx2 *VideoWindow() const;

    bool Active() const { return m_active; }
    // true builds an empty graph; false releases it and the file.
    void SetActive(bool active);
    // Unloads the file; nothing when inactive.
    void ClearGraph();

    // Opens the file and checks its streams synchronously: result::Ok when
    // every stream has a decoder, result::PartialRender when only some do.
    // A bound graph then loads it for playback, replacing any file it held.
    int RenderFile(const QString &fileName);
    QString FileName() const { return m_fileName; }

    void Play();
    void Pause();
    void Stop();

    qint64 Duration() const;
    bool HasSeeking() const;
    // Absolute seek; the stop position stays the end of the media.
    void SetCurrentPosition(qint64 hundredNs);
    // At and after the end of the media: the duration.
    qint64 CurrentPosition() const;
    // Play was called and neither Pause nor Stop since; stays true at the
    // end of the media.
    bool IsRunning() const { return m_running; }
    bool AtEndOfMedia() const { return m_atEnd; }

Q_SIGNALS:
    void RunningChanged(bool running);
    void EndOfMedia();

private:
    void requireActive() const;
    void requireLoaded() const;
    void requirePlayable() const;
    void setRunning(bool running);
    void unload();
    void unbindWindow();
    TPlaybackBackend *playerBackend();
    void reachEnd();

    QPointer<TDSVideoWindowEx2> m_window;
    TPlaybackBackend *m_playerBackend = nullptr; // created on first playback
    TPlaybackBackend *m_backend = nullptr;       // the one holding the loaded file
    bool m_active = false;
    bool m_loaded = false;
    bool m_running = false;
    bool m_atEnd = false;
    QString m_fileName;
    media::ProbeResult m_probe;
};
