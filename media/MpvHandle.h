#pragma once

// An mpv core set up for the preview: no terminal, no configuration files or
// scripts, no key bindings, no on-screen display, software decoding, video
// only through the render API, sound through the system's output or mpv's
// silent one. A loaded file starts paused and stays open at its end.

#include <mpv/client.h>

#include <memory>

namespace media {

struct MpvHandleDeleter {
    void operator()(mpv_handle *handle) const { mpv_terminate_destroy(handle); }
};
using MpvHandlePtr = std::unique_ptr<mpv_handle, MpvHandleDeleter>;

// A running core, or null when mpv could not be started.
MpvHandlePtr CreatePreviewMpv();

// Whether the system offers a sound server or sound card mpv can play to;
// without one mpv plays to its silent output on its own clock.
bool SoundDeviceAvailable();

} // namespace media
