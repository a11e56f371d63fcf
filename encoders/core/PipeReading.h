#pragma once

#include <string>

namespace encoder {

// Both ends of a pipe, each closed on exec.
struct PipeEnds {
    int read = -1;
    int write = -1;
};

// Throws EncoderError when no pipe can be made.
PipeEnds makePipeEnds();
// Closes the end if it is open and marks it closed (-1).
void closePipeEnd(int &descriptor);
// Reads what is waiting into `into`; false once the pipe has closed.
bool readChunk(int descriptor, std::string &into);

} // namespace encoder
