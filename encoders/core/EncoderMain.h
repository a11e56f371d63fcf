#pragma once

namespace encoder {

// What "-i" names: the media file itself (vidcoda) or a DirectShowSource
// script naming it (rmcoda).
enum class InputKind { MediaFile, Script };

// The whole program: reads the command line, converts, and returns the exit
// code; every failure is one line "<program>: <reason>" on standard error.
int encoderMain(const char *programName, InputKind kind, int argc, char **argv);

} // namespace encoder
