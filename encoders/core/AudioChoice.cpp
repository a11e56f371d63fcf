#include "AudioChoice.h"

#include "StreamPick.h"

#include <algorithm>

namespace encoder {

namespace {

// Within this much of the best, the default stream keeps its place: streams
// of one recording end a few frames apart.
constexpr double coverageTolerance = 0.5;

bool isAmr(const ListedStream &stream)
{
    return stream.codec == "amr_nb" || stream.codec == "amr_wb";
}

// Only the raw AMR format has one frame to a packet for sure.
bool comesPacked(const InputListing &listing, const ListedStream &stream)
{
    return isAmr(stream) && listing.container() != "amr";
}

double coverage(const Extent &extent, const CutSpan &cut)
{
    return std::max(0.0, std::min(extent.end, cut.end()) - std::max(extent.first, cut.start));
}

const ListedStream *mostCovering(const std::vector<ListedStream> &streams, const ListedStream &fallback,
                                 const std::map<int, Extent> &extents, const CutSpan &cut)
{
    const auto covered = [&](const ListedStream &stream) {
        const auto found = extents.find(stream.index);
        return found == extents.end() ? 0.0 : coverage(found->second, cut);
    };
    const ListedStream &best = measuringMost(streams, fallback, covered);
    return covered(fallback) + coverageTolerance >= covered(best) ? &fallback : &best;
}

} // namespace

bool needsOwnAudioChoice(const InputListing &listing)
{
    const std::vector<ListedStream> audio = listing.audioStreams();
    const ListedStream *pick = ffmpegPick(audio);
    return audio.size() > 1 || (pick && comesPacked(listing, *pick));
}

std::optional<AudioSource> chooseAudio(const InputListing &listing, const std::map<int, Extent> &extents,
                                       const CutSpan &cut, const std::vector<int> &excluded)
{
    std::vector<ListedStream> audio = listing.audioStreams();
    std::erase_if(audio, [&](const ListedStream &stream) {
        return std::find(excluded.begin(), excluded.end(), stream.index) != excluded.end();
    });
    const ListedStream *pick = ffmpegPick(audio);
    if (!pick)
        return std::nullopt;
    pick = mostCovering(audio, *pick, extents, cut);
    return AudioSource{pick->index, comesPacked(listing, *pick)};
}

} // namespace encoder
