#pragma once

// Which of the input's pictures the conversion takes. ffmpeg's own choice
// takes the largest picture, which may be a cover attached to a sound or the
// still track of a phone's motion photo; the choice here never takes an
// attached picture and prefers the picture that moves.

#include "AudioChoice.h"
#include "AudioExtents.h"
#include "InputListing.h"
#include "OwnOrientation.h"

#include <map>
#include <optional>
#include <vector>

namespace encoder {

// The picture chosen here, and how long its first and last frames stand in
// where the picture has none of its own within the cut.
struct VideoSource {
    int stream = -1;     // the first input's stream; -1: none chosen here
    double leadIn = 0.0; // seconds from the cut's start to the first frame
    double hold = 0.0;   // seconds from the last frame's end to the cut's end
    // No frame lies within the cut: the last one before it is held, which
    // takes reading the input from its start (seeking would drop that frame).
    bool holdsEarlierFrame = false;
    // The picture's own orientation, which the conversion applies in place of
    // ffmpeg's turning (see OwnOrientation); unset: ffmpeg turns it.
    std::optional<Orientation> ownOrientation{};
};

// Video streams that are pictures in time: attached pictures (covers) left out.
std::vector<ListedStream> movingPictures(const InputListing &listing);

// The picture a run takes: the stream chosen here, else the first moving
// picture, which ffmpeg takes when the choice is left to it (the encoder
// leaves it only for an input with one); nullptr when there is none.
const ListedStream *pictureInUse(const InputListing &listing, int chosen);

// Whether the listed input needs its streams chosen here: its sound does
// (needsOwnAudioChoice), or, when the output has a picture, ffmpeg would
// take an attached picture or pick among several by size.
bool needsOwnStreamChoice(const InputListing &listing, bool withVideo);

// The moving picture with the most frames within the cut; ffmpeg's pick among
// them (the first marked default, else the first) keeps its place unless
// another has more than twice its frames. Without extents, ffmpeg's pick
// without lead-in or hold. Nothing when the input has no moving picture.
std::optional<VideoSource> chooseVideo(const InputListing &listing, const std::map<int, Extent> &extents,
                                       const CutSpan &cut);

} // namespace encoder
