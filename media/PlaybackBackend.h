#pragma once

// What a bound graph plays a rendered file through. The graph keeps the
// engine's state rules (running, end of media); a backend only moves media.

#include "media/MediaProbe.h"

#include <QObject>
#include <QString>

class TPlaybackBackend : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // probe: the file as probed for playing; its picture's orientation and
    // decoding load say how it is shown and decoded.
    virtual void Load(const QString &fileName, const media::ProbeResult &probe) = 0;
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
