#pragma once

#include "InputListing.h"

namespace encoder {

// Whether the listed input holds a stream whose sample entry marks it as
// encrypted (a store's copy protection, or common encryption): ffmpeg reads
// such a stream but cannot decode it, and fails in ways that do not say why.
bool isCopyProtected(const InputListing &listing);

} // namespace encoder
