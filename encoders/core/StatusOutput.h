#pragma once

#include <string_view>

namespace encoder {

// Writes text to standard output at once, unbuffered. A reader that has gone
// away is ignored: the encode goes on without anyone watching.
void writeStatus(std::string_view text);

} // namespace encoder
