#pragma once

#include <QString>

#include <optional>

// Reading the encoder's progress text. A status line has the fields frame, q,
// size, time and bitrate (video) or size, time and bitrate (audio only), each
// after an "=", for example
//   frame=   50 q=2.0 size=     120kB time=12.48 bitrate=  78.8kbits/s
//   size=      64kB time=12.48 bitrate= 42.0kbits/s

// Whole seconds of output time in `chunk`, taken from the text after the fourth
// "=" (after the second for an audio-only output). Nothing when the chunk has
// too few fields, the field holds no whole seconds, the encoder's marker
// "10000000000" says that no time is known yet, or the text is not a number.
// Never throws: a chunk of any content must leave the progress window working.
std::optional<qint64> ReadProgressSeconds(const QString &chunk, bool audioOnly);

// True when the codec options describe an audio-only output: they begin with
// "-acodec" once surrounding blanks are removed.
bool IsAudioOnlyCodec(const QString &codecParam);

// The two bars of the progress window. The current file's bar counts seconds
// of output up to the cut's length; a length that is negative, or missing
// because no row held the file, gives an empty bar.
int CurrentBarMaximum(qint64 cutSeconds);
// The batch bar counts a hundred per row: the rows done, and the current
// file's share. The divisor is the maximum plus one, so an empty bar never
// divides by zero.
int BatchBarPosition(int convertedCount, int currentPosition, int currentMaximum);
