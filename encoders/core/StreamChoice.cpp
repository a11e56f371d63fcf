#include "StreamChoice.h"

#include "StreamPick.h"

#include <algorithm>

namespace encoder {

namespace {

// A frame of a slow picture lasts this long; shorter gaps need no stand-in.
constexpr double gapTolerance = 0.1;

int framesWithin(const Extent &extent, const CutSpan &cut)
{
    const double cutEnd = cut.end();
    return static_cast<int>(std::count_if(extent.times.begin(), extent.times.end(),
                                          [&](double time) { return time >= cut.start && time < cutEnd; }));
}

// Where the output ends on the input's time line: the cut's end, else the end
// of the last picture or sound.
double spanEnd(const InputListing &listing, const std::map<int, Extent> &extents, const CutSpan &cut)
{
    double end = 0.0;
    for (const auto &[index, extent] : extents) {
        const ListedStream *stream = listing.stream(index);
        if (stream && stream->kind != StreamKind::Other)
            end = std::max(end, extent.end);
    }
    return std::min(end, cut.end());
}

double gapOrNothing(double gap)
{
    return gap > gapTolerance ? gap : 0.0;
}

} // namespace

std::vector<ListedStream> movingPictures(const InputListing &listing)
{
    std::vector<ListedStream> pictures;
    for (const ListedStream &stream : listing.streams()) {
        if (stream.kind == StreamKind::Video && !stream.attachedPicture)
            pictures.push_back(stream);
    }
    return pictures;
}

const ListedStream *pictureInUse(const InputListing &listing, int chosen)
{
    for (const ListedStream &stream : listing.streams()) {
        const bool moving = stream.kind == StreamKind::Video && !stream.attachedPicture;
        if (moving && (chosen < 0 || stream.index == chosen))
            return &stream;
    }
    return nullptr;
}

bool needsOwnStreamChoice(const InputListing &listing, bool withVideo)
{
    if (needsOwnAudioChoice(listing))
        return true;
    if (!withVideo)
        return false;
    const bool attached = std::any_of(listing.streams().begin(), listing.streams().end(),
                                      [](const ListedStream &stream) { return stream.attachedPicture; });
    return attached || movingPictures(listing).size() > 1;
}

std::optional<VideoSource> chooseVideo(const InputListing &listing, const std::map<int, Extent> &extents,
                                       const CutSpan &cut)
{
    const std::vector<ListedStream> pictures = movingPictures(listing);
    if (pictures.empty())
        return std::nullopt;
    const ListedStream &preferred = *ffmpegPick(pictures);
    const auto frames = [&](const ListedStream &stream) {
        const auto found = extents.find(stream.index);
        return found == extents.end() ? 0 : framesWithin(found->second, cut);
    };
    const ListedStream *best = &measuringMost(pictures, preferred, frames);
    if (frames(*best) <= 2 * frames(preferred))
        best = &preferred;
    VideoSource chosen{best->index};
    const auto extent = extents.find(best->index);
    if (extent == extents.end())
        return chosen;
    chosen.leadIn = gapOrNothing(extent->second.first - cut.start);
    chosen.hold = gapOrNothing(spanEnd(listing, extents, cut) - extent->second.end);
    chosen.holdsEarlierFrame = frames(*best) == 0 && extent->second.first < cut.start;
    return chosen;
}

} // namespace encoder
