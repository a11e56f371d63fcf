#pragma once

// The two steps of every choice among the input's streams of one kind:
// ffmpeg's own pick, then the stream that measures most.

#include "InputListing.h"

#include <algorithm>
#include <vector>

namespace encoder {

// ffmpeg's pick among the streams: the first marked default, else the first;
// nullptr when there are none.
inline const ListedStream *ffmpegPick(const std::vector<ListedStream> &streams)
{
    const auto marked =
        std::find_if(streams.begin(), streams.end(), [](const ListedStream &stream) { return stream.isDefault; });
    if (marked != streams.end())
        return &*marked;
    return streams.empty() ? nullptr : &streams.front();
}

// The stream with the largest measure; `start` keeps its place on a tie.
template <typename Measure>
const ListedStream &measuringMost(const std::vector<ListedStream> &streams, const ListedStream &start,
                                  const Measure &measure)
{
    const ListedStream *best = &start;
    for (const ListedStream &stream : streams) {
        if (measure(stream) > measure(*best))
            best = &stream;
    }
    return *best;
}

} // namespace encoder
