#include "Code/conversion/OutputCheck.h"

#include "Code/core/TextFormats.h"
#include "media/DirectShowException.h"
#include "media/MediaProbe.h"

#include <cstdlib>

namespace {

constexpr qint64 toleranceMs = 1000;

TOutputVerdict failed(const QString &reason)
{
    return {TOutputVerdict::Failed, reason};
}

TOutputVerdict warning(const QString &reason)
{
    return {TOutputVerdict::Warning, reason};
}

std::optional<media::ProbeResult> probe(const QString &file)
{
    try {
        return media::ProbeMediaFile(file);
    } catch (const EDirectShowException &) {
        return std::nullopt;
    }
}

// What the source can give of the cut, or all of it without one.
qint64 wantedLengthMs(const std::optional<TTrimSpan> &trim, const std::optional<media::ProbeResult> &source)
{
    const qint64 sourceMs = source ? source->durationMs : 0;
    return trim ? trim->LengthWithinMs(sourceMs) : sourceMs;
}

} // namespace

TOutputVerdict CheckOutputFile(const QString &outputFile, const QString &sourceFile, bool audioOnly,
                               const std::optional<TTrimSpan> &trim)
{
    const std::optional<media::ProbeResult> output = probe(outputFile);
    if (!output)
        return failed(QStringLiteral("The output file cannot be read as media."));
    const std::optional<media::ProbeResult> source = probe(sourceFile);
    const bool sourceHasVideo = !source || source->hasVideo;
    const bool sourceHasAudio = !source || source->hasAudio;
    if (!audioOnly && sourceHasVideo && !output->hasVideo)
        return failed(QStringLiteral("The output file holds no picture."));
    if ((audioOnly || sourceHasAudio) && !output->hasAudio)
        return failed(QStringLiteral("The output file holds no sound."));

    const qint64 startSeconds = trim ? trim->StartSeconds : 0;
    const qint64 wantedMs = wantedLengthMs(trim, source);
    if (wantedMs <= 0 || output->durationMs <= 0)
        return {};
    if (output->durationMs + toleranceMs < wantedMs) {
        const qint64 endSeconds = startSeconds + output->durationMs / 1000;
        return warning(QStringLiteral("Shorter than asked: the source ends at %1.").arg(FormatDuration(endSeconds)));
    }
    if (output->durationMs > wantedMs + toleranceMs) {
        return warning(QStringLiteral("Longer than asked: the output lasts %1 instead of %2.")
                           .arg(FormatDuration(output->durationMs / 1000), FormatDuration(wantedMs / 1000)));
    }
    return {};
}
