#include "media/PlayerBackend.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>
#include <QVideoSink>

TPlayerBackend::TPlayerBackend(QVideoSink *sink, QObject *parent)
    : TPlaybackBackend(parent), m_player(new QMediaPlayer(this))
{
    if (AudioDeviceAvailable()) {
        m_audioOutput = new QAudioOutput(this);
        m_player->setAudioOutput(m_audioOutput);
    }
    m_player->setVideoOutput(sink);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::EndOfMedia || status == QMediaPlayer::InvalidMedia)
            Q_EMIT EndReached();
    });
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error error) {
        if (error != QMediaPlayer::NoError)
            Q_EMIT EndReached();
    });
}

TPlayerBackend::~TPlayerBackend()
{
    // The decoder threads must be gone before the sink they feed.
    m_player->stop();
    m_player->setSource(QUrl());
}

bool TPlayerBackend::AudioDeviceAvailable()
{
    return !QMediaDevices::defaultAudioOutput().isNull();
}

void TPlayerBackend::Load(const QString &fileName, qint64)
{
    m_player->setSource(QUrl::fromLocalFile(fileName));
}

void TPlayerBackend::Unload()
{
    m_player->stop();
    m_player->setSource(QUrl());
}

void TPlayerBackend::Play()
{
    m_player->play();
}

void TPlayerBackend::Pause()
{
    m_player->pause();
}

void TPlayerBackend::Stop()
{
    m_player->stop();
}

void TPlayerBackend::Seek(qint64 positionMs)
{
    m_player->setPosition(positionMs);
}

qint64 TPlayerBackend::PositionMs() const
{
    return m_player->position();
}
