#pragma once

#include "AudioExtents.h"
#include "InputListing.h"

#include <limits>
#include <map>
#include <optional>
#include <vector>

namespace encoder {

// Where the conversion takes its sound from, when ffmpeg's own choice does
// not do.
struct AudioSource {
    int stream = -1;     // the first input's stream; -1: ffmpeg chooses
    bool rawAmr = false; // read through a second ffmpeg as raw AMR frames
};

// The part of the input the output is to cover, in seconds from its start.
struct CutSpan {
    double start = 0.0;
    std::optional<double> length; // to the end when unset

    // Where the cut ends on the input's time line; infinity without a length.
    double end() const { return length ? start + *length : std::numeric_limits<double>::infinity(); }
};

// Whether the listed input needs an audio choice of its own: it has several
// audio streams (ffmpeg would take the default one, however short), or its
// sound is AMR packed several frames to a packet, of which ffmpeg's decoder
// takes only the first: the raw AMR format splits them.
bool needsOwnAudioChoice(const InputListing &listing);

// The stream that covers the most of the cut, ffmpeg's own pick (the default
// stream) whenever it covers about as much; without extents, ffmpeg's pick.
// Streams in `excluded` (their decoder would not open) are passed over.
// Nothing when no audio stream is left.
std::optional<AudioSource> chooseAudio(const InputListing &listing, const std::map<int, Extent> &extents,
                                       const CutSpan &cut, const std::vector<int> &excluded);

} // namespace encoder
