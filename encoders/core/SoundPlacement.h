#pragma once

// Where each decoded frame of sound lands on the output's time line, as
// players place it, so that the sound stays with the picture.

#include <string>

namespace encoder {

// The "-af" filters that place the sound, for the head of the chain: the
// sound begins where its first timestamp says (a late start is padded with
// silence, an early one cut at 0), runs on end to end, and leaves that only
// where its timestamps say so for sure: a frame stamped earlier than the end
// of the sound before it is put on its stamp, cutting what it overlaps, and
// a jump of a quarter second or more is a hole that stays silent.
std::string soundPlacementFilters();

} // namespace encoder
