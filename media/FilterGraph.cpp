#include "media/FilterGraph.h"

#include "media/PlayerBackend.h"
#include "media/VideoWindow.h"

#include <algorithm>

using namespace media;

TFilterGraph::TFilterGraph(QObject *parent) : QObject(parent) {}

TFilterGraph::~TFilterGraph()
{
    unload();
}

void TFilterGraph::SetVideoWindow(TDSVideoWindowEx2 *window)
{
    if (window == m_window)
        return;
    unbindWindow();
    m_window = window;
    if (m_window)
        connect(m_window, &TDSVideoWindowEx2::Destroying, this, &TFilterGraph::unbindWindow);
}

TDSVideoWindowEx2 *TFilterGraph::VideoWindow() const
{
    return m_window;
}

void TFilterGraph::unbindWindow()
{
    if (!m_window)
        return;
    unload();
    disconnect(m_window, nullptr, this, nullptr);
    // The player draws into the window: it goes with the window.
    delete m_playerBackend;
    m_playerBackend = nullptr;
    m_window = nullptr;
}

void TFilterGraph::SetActive(bool active)
{
    if (!active)
        unload();
    m_active = active;
}

void TFilterGraph::ClearGraph()
{
    if (m_active)
        unload();
}

void TFilterGraph::unload()
{
    setRunning(false);
    if (m_backend)
        m_backend->Unload();
    m_backend = nullptr;
    if (m_window)
        m_window->clearFrame();
    m_loaded = false;
    m_atEnd = false;
    m_fileName.clear();
    m_probe = ProbeResult();
}

int TFilterGraph::RenderFile(const QString &fileName)
{
    requireActive();
    unload();
    // Only a file to be shown needs its first picture read.
    const ProbeResult probe = ProbeMediaFile(fileName, m_window ? TProbeDepth::FirstPicture : TProbeDepth::Header);
    if (m_window) {
        m_backend = playerBackend();
        m_backend->Load(fileName, probe);
        m_window->setAspectHint(probe.displaySize);
    }
    m_probe = probe;
    m_fileName = fileName;
    m_loaded = true;
    return int(probe.code);
}

TPlaybackBackend *TFilterGraph::playerBackend()
{
    if (!m_playerBackend) {
        auto *player = new TPlayerBackend(m_window, this);
        if (!player->ok()) {
            delete player;
            throw EDirectShowException(QStringLiteral("The media engine could not be started."), result::Fail);
        }
        connect(player, &TPlaybackBackend::EndReached, this, &TFilterGraph::reachEnd);
        m_playerBackend = player;
    }
    return m_playerBackend;
}

void TFilterGraph::reachEnd()
{
    if (!m_loaded || m_atEnd || sender() != m_backend)
        return;
    m_atEnd = true;
    Q_EMIT EndOfMedia();
}

void TFilterGraph::requireActive() const
{
    if (!m_active)
        throw EDirectShowException(result::WrongState);
}

void TFilterGraph::requireLoaded() const
{
    requireActive();
    if (!m_loaded)
        throw EDirectShowException(result::WrongState);
}

void TFilterGraph::requirePlayable() const
{
    requireLoaded();
    if (!m_backend)
        throw EDirectShowException(QStringLiteral("The graph has no video window to play into."), result::WrongState);
}

void TFilterGraph::setRunning(bool running)
{
    if (m_running == running)
        return;
    m_running = running;
    Q_EMIT RunningChanged(running);
}

void TFilterGraph::Play()
{
    requirePlayable();
    // At the end of the media a running graph has nothing left to play.
    if (!m_atEnd)
        m_backend->Play();
    setRunning(true);
}

void TFilterGraph::Pause()
{
    requirePlayable();
    if (!m_atEnd)
        m_backend->Pause();
    setRunning(false);
}

void TFilterGraph::Stop()
{
    requireActive();
    if (m_backend)
        m_backend->Stop();
    m_atEnd = false;
    setRunning(false);
}

qint64 TFilterGraph::Duration() const
{
    requireActive();
    return m_loaded ? m_probe.durationMs : 0;
}

bool TFilterGraph::HasSeeking() const
{
    return m_active && m_loaded && m_probe.seekable;
}

void TFilterGraph::SetCurrentPosition(qint64 hundredNs)
{
    requireLoaded();
    const qint64 positionMs = std::clamp<qint64>(hundredNs / HundredNsPerMs, 0, m_probe.durationMs);
    m_atEnd = false;
    if (!m_backend)
        return;
    m_backend->Seek(positionMs);
    // A running graph goes on playing from the new position, also when it
    // had already reached the end.
    if (m_running)
        m_backend->Play();
}

qint64 TFilterGraph::CurrentPosition() const
{
    requireActive();
    if (!m_loaded)
        return 0;
    if (m_atEnd)
        return m_probe.durationMs * HundredNsPerMs;
    if (!m_backend)
        return 0;
    return m_backend->PositionMs() * HundredNsPerMs;
}
