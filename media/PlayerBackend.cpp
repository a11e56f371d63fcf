#include "media/PlayerBackend.h"

#include "media/MpvVideoOutput.h"
#include "media/VideoWindow.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

TPlayerBackend::TPlayerBackend(TDSVideoWindowEx2 *window, QObject *parent)
    : TPlaybackBackend(parent), m_mpv(media::CreatePreviewMpv()), m_window(window)
{
    if (!m_mpv)
        return;
    m_video = std::make_unique<TMpvVideoOutput>(m_mpv.get());
    if (m_window)
        m_window->setFrameSource(m_video.get());
    mpv_observe_property(m_mpv.get(), EndReachedProperty, "eof-reached", MPV_FORMAT_FLAG);
    mpv_observe_property(m_mpv.get(), DisplayWidthProperty, "dwidth", MPV_FORMAT_INT64);
    mpv_observe_property(m_mpv.get(), DisplayHeightProperty, "dheight", MPV_FORMAT_INT64);
    mpv_set_wakeup_callback(m_mpv.get(), &TPlayerBackend::onWakeup, this);
}

TPlayerBackend::~TPlayerBackend()
{
    if (!m_mpv)
        return;
    // No wake-up may reach this object once it is going.
    mpv_set_wakeup_callback(m_mpv.get(), nullptr, nullptr);
    if (m_window)
        m_window->setFrameSource(nullptr);
    command({"stop"});
    m_video.reset();
    m_mpv.reset();
}

bool TPlayerBackend::ok() const
{
    return m_mpv && m_video && m_video->ok();
}

// Called on mpv's threads: only hands over to the UI thread.
void TPlayerBackend::onWakeup(void *self)
{
    auto *backend = static_cast<TPlayerBackend *>(self);
    if (!backend->m_drainPosted.exchange(true))
        QMetaObject::invokeMethod(backend, &TPlayerBackend::drainEvents, Qt::QueuedConnection);
}

void TPlayerBackend::drainEvents()
{
    m_drainPosted = false;
    for (;;) {
        const mpv_event *event = mpv_wait_event(m_mpv.get(), 0);
        if (!event || event->event_id == MPV_EVENT_NONE)
            return;
        handleEvent(*event);
    }
}

void TPlayerBackend::handleEvent(const mpv_event &event)
{
    switch (event.event_id) {
    case MPV_EVENT_START_FILE:
        m_startedEntry = static_cast<const mpv_event_start_file *>(event.data)->playlist_entry_id;
        break;
    case MPV_EVENT_FILE_LOADED:
        if (m_entry >= 0 && m_startedEntry == m_entry)
            fileLoaded();
        break;
    case MPV_EVENT_END_FILE:
        fileEnded(*static_cast<const mpv_event_end_file *>(event.data));
        break;
    case MPV_EVENT_SEEK:
        m_seekStarted = true;
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        // Once the seek has run, mpv's own position is the one to read.
        if (m_seekStarted)
            m_seekTargetMs.reset();
        break;
    case MPV_EVENT_PROPERTY_CHANGE:
        propertyChanged(event.reply_userdata, *static_cast<const mpv_event_property *>(event.data));
        break;
    default:
        break;
    }
}

void TPlayerBackend::propertyChanged(quint64 property, const mpv_event_property &change)
{
    if (!m_fileLoaded)
        return;
    if (property == EndReachedProperty) {
        // The file stays open at its end: mpv only says it got there.
        if (change.format == MPV_FORMAT_FLAG && *static_cast<const int *>(change.data))
            Q_EMIT EndReached();
        return;
    }
    const int value = change.format == MPV_FORMAT_INT64 ? int(*static_cast<const int64_t *>(change.data)) : 0;
    if (property == DisplayWidthProperty)
        m_displaySize.setWidth(value);
    else if (property == DisplayHeightProperty)
        m_displaySize.setHeight(value);
    m_video->setDisplaySize(m_displaySize.isEmpty() ? QSize() : m_displaySize);
}

void TPlayerBackend::fileLoaded()
{
    m_fileLoaded = true;
    if (m_seekPending) {
        m_seekPending = false;
        Seek(m_seekTargetMs.value_or(0));
    }
    m_video->setShowing(true);
}

void TPlayerBackend::fileEnded(const mpv_event_end_file &end)
{
    if (end.playlist_entry_id != m_entry || m_entry < 0)
        return; // a file we already let go of
    const bool failed = end.reason == MPV_END_FILE_REASON_ERROR || end.reason == MPV_END_FILE_REASON_REDIRECT;
    forgetFile();
    // A file that turned out to be a playlist is not followed anywhere.
    if (end.reason == MPV_END_FILE_REASON_REDIRECT)
        command({"stop"});
    if (failed || end.reason == MPV_END_FILE_REASON_EOF)
        Q_EMIT EndReached();
}

void TPlayerBackend::forgetFile()
{
    m_entry = -1;
    m_fileLoaded = false;
    m_seekTargetMs.reset();
    m_seekPending = false;
    m_displaySize = QSize();
    m_video->setShowing(false);
}

bool TPlayerBackend::command(std::initializer_list<const char *> arguments)
{
    if (!m_mpv)
        return false;
    std::vector<const char *> line(arguments);
    line.push_back(nullptr);
    return mpv_command(m_mpv.get(), line.data()) >= 0;
}

void TPlayerBackend::setPaused(bool paused)
{
    if (!m_mpv)
        return;
    int flag = paused ? 1 : 0;
    mpv_set_property(m_mpv.get(), "pause", MPV_FORMAT_FLAG, &flag);
}

qint64 TPlayerBackend::playlistEntryId()
{
    // A replacing load leaves our file as the playlist's only entry.
    int64_t id = -1;
    if (mpv_get_property(m_mpv.get(), "playlist/0/id", MPV_FORMAT_INT64, &id) < 0)
        return -1;
    return id;
}

void TPlayerBackend::reportEndLater()
{
    QMetaObject::invokeMethod(this, &TPlaybackBackend::EndReached, Qt::QueuedConnection);
}

void TPlayerBackend::Load(const QString &fileName, const media::ProbeResult &probe)
{
    if (!ok())
        return reportEndLater();
    forgetFile();
    setPaused(true);
    // Set before the file opens, so that its first frame is already upright;
    // an upright file clears the last one's filter. The decoder's threads
    // are chosen when it starts, so they too are set here.
    mpv_set_property_string(m_mpv.get(), "vf", media::UprightingFilter(probe.orientation).constData());
    mpv_set_property_string(m_mpv.get(), "vd-lavc-threads", media::DecoderThreads(probe.pixelsPerSecond).constData());
    // An absolute path, so that no name is taken for a protocol or an option.
    const QByteArray path = QFile::encodeName(QFileInfo(fileName).absoluteFilePath());
    if (!command({"loadfile", path.constData(), "replace"}))
        return reportEndLater();
    m_entry = playlistEntryId();
}

void TPlayerBackend::Unload()
{
    forgetFile();
    command({"stop"});
}

void TPlayerBackend::Play()
{
    setPaused(false);
}

void TPlayerBackend::Pause()
{
    setPaused(true);
}

void TPlayerBackend::Stop()
{
    setPaused(true);
    Seek(0);
}

void TPlayerBackend::Seek(qint64 positionMs)
{
    if (m_entry < 0)
        return;
    positionMs = std::max<qint64>(positionMs, 0);
    m_seekTargetMs = positionMs;
    m_seekStarted = false;
    if (!m_fileLoaded) {
        m_seekPending = true; // sought once mpv has opened the file
        return;
    }
    const QByteArray seconds = QByteArray::number(double(positionMs) / 1000.0, 'f', 3);
    if (!command({"seek", seconds.constData(), "absolute+exact"}))
        m_seekTargetMs.reset();
}

qint64 TPlayerBackend::PositionMs() const
{
    if (m_seekTargetMs)
        return *m_seekTargetMs;
    double seconds = 0.0;
    if (!m_fileLoaded || mpv_get_property(m_mpv.get(), "time-pos", MPV_FORMAT_DOUBLE, &seconds) < 0)
        return 0;
    return std::max<qint64>(std::llround(seconds * 1000.0), 0);
}
