#include "media/MpvHandle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include <clocale>

namespace media {

namespace {

struct Option {
    const char *name;
    const char *value;
};

constexpr Option previewOptions[] = {
    {"terminal", "no"},
    {"config", "no"},
    {"load-scripts", "no"},
    {"ytdl", "no"},
    {"input-default-bindings", "no"},
    {"input-vo-keyboard", "no"},
    {"osd-level", "0"},
    {"osc", "no"},
    // The built-in scripts each run a Lua thread of their own; the preview
    // uses none of them.
    {"load-stats-overlay", "no"},
    {"load-osd-console", "no"},
    {"load-auto-profiles", "no"},
    {"idle", "yes"},
    {"keep-open", "yes"},
    {"pause", "yes"},
    {"vo", "libmpv"},
    {"hwdec", "no"},
    {"audio-display", "no"},
    {"sub-auto", "no"},
    {"audio-file-auto", "no"},
    {"resume-playback", "no"},
    {"load-unsafe-playlists", "no"},
    {"hr-seek", "yes"},
    // The preview's picture is a few hundred pixels wide: the faster scaler
    // paths are plenty and keep the software renderer cheap. The renderer
    // scales with zimg, which sws-fast does not reach: a bilinear filter
    // without dithering looks the same at this size, and one thread spares
    // handing each picture's slices around: together about a tenth of the
    // engine's processor time at 1080p (bench/README.md).
    {"sws-fast", "yes"},
    {"zimg-scaler", "bilinear"},
    {"zimg-dither", "no"},
    {"zimg-threads", "1"},
    // The render API announces that it turns pictures by quarter turns, so
    // mpv hands it sideways frames with the sides of its source rectangle
    // swapped; the software renderer does not turn them and crops the frame
    // beyond its edge, which fails an assertion and aborts the process.
    // Rotation is applied before, with UprightingFilter().
    {"video-rotate", "no"},
};

} // namespace

MpvHandlePtr CreatePreviewMpv()
{
    // mpv refuses to start under a locale whose numbers are not written the
    // C way, and reads numbers with the C library for as long as it runs.
    std::setlocale(LC_NUMERIC, "C");
    MpvHandlePtr handle(mpv_create());
    if (!handle)
        return nullptr;
    for (const Option &option : previewOptions)
        mpv_set_option_string(handle.get(), option.name, option.value);
    // Without a sound device the silent output keeps time; trying the others
    // first would only fill the log.
    mpv_set_option_string(handle.get(), "ao", SoundDeviceAvailable() ? "pulse,alsa,null" : "null");
    if (mpv_initialize(handle.get()) < 0)
        return nullptr;
    return handle;
}

QByteArray UprightingFilter(const TPictureOrientation &orientation)
{
    // One filter per orientation: a turn followed by a mirror is a transpose
    // or a single flip, so no picture is copied twice.
    static constexpr const char *turned[] = {nullptr, "transpose=clock", "hflip,vflip", "transpose=cclock"};
    static constexpr const char *turnedAndMirrored[] = {"hflip", "transpose=cclock_flip", "vflip",
                                                        "transpose=clock_flip"};
    const int quarterTurns = ((orientation.clockwise / 90) % 4 + 4) % 4;
    const char *filter = orientation.mirrored ? turnedAndMirrored[quarterTurns] : turned[quarterTurns];
    if (!filter)
        return {};
    // Filtered pictures keep the display matrix the decoder attached (from
    // the stream's own orientation message), and mpv would turn them once
    // more at the renderer, which aborts the process (see video-rotate).
    return QByteArray("lavfi=[sidedata=delete:type=DISPLAYMATRIX,") + filter + "]";
}

QByteArray DecoderThreads(qint64 pixelsPerSecond)
{
    // Decoding on a frame per thread costs about a tenth more processor time
    // in all than one thread, which decodes 1080p at 30 frames a second in a
    // fifth of a core on the build machine (bench/README.md). Larger or faster
    // pictures, and those whose rate is not known, keep the decoder's choice so
    // that they play without dropping frames on slower processors.
    constexpr qint64 OneThreadLimit = 1920LL * 1088 * 30;
    return pixelsPerSecond > 0 && pixelsPerSecond <= OneThreadLimit ? QByteArrayLiteral("1") : QByteArrayLiteral("0");
}

bool SoundDeviceAvailable()
{
    const QByteArray server = qgetenv("PULSE_SERVER");
    if (!server.isEmpty())
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && (QFileInfo::exists(runtime + QStringLiteral("/pulse/native")) ||
                               QFileInfo::exists(runtime + QStringLiteral("/pipewire-0"))))
        return true;
    // ALSA lists its cards here; "--- no soundcards ---" when there are none.
    QFile cards(QStringLiteral("/proc/asound/cards"));
    return cards.open(QIODevice::ReadOnly) && !cards.readAll().contains("no soundcards");
}

} // namespace media
