#pragma once

// An mpv core set up for the preview: no terminal, no configuration files or
// scripts, no key bindings, no on-screen display, software decoding, video
// only through the render API, sound through the system's output or mpv's
// silent one. A loaded file starts paused and stays open at its end. mpv
// leaves a file's display rotation alone: the preview turns the picture with
// a video filter of its own.

#include "media/PictureOrientation.h"

#include <mpv/client.h>

#include <QByteArray>

#include <memory>

namespace media {

struct MpvHandleDeleter {
    void operator()(mpv_handle *handle) const { mpv_terminate_destroy(handle); }
};
using MpvHandlePtr = std::unique_ptr<mpv_handle, MpvHandleDeleter>;

// A running core, or null when mpv could not be started.
MpvHandlePtr CreatePreviewMpv();

// The video filter list that shows a stored picture as its orientation says:
// turned by quarter turns, mirrored, or both; empty for an upright one.
QByteArray UprightingFilter(const TPictureOrientation &orientation);

// mpv's decoder thread count for a picture of this many pixels a second
// ("0" lets the decoder choose by the processor count).
QByteArray DecoderThreads(qint64 pixelsPerSecond);

// Whether the system offers a sound server or sound card mpv can play to;
// without one mpv plays to its silent output on its own clock.
bool SoundDeviceAvailable();

} // namespace media
