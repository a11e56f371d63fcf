#pragma once

// What a bound graph plays a rendered file through. The graph keeps the
// engine's state rules (running, end of media); a backend only moves media.

#include "media/PictureOrientation.h"

#include <QObject>
#include <QString>

class TPlaybackBackend : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // orientation: how the stored picture is turned and mirrored when shown.
    virtual void Load(const QString &fileName, const media::TPictureOrientation &orientation) = 0;
    virtual void Unload() = 0;
    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    virtual void Seek(qint64 positionMs) = 0;
    virtual qint64 PositionMs() const = 0;

Q_SIGNALS:
    // The media has played to its end, or playback broke off.
    void EndReached();
};
