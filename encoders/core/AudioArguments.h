#pragma once

// The sound's share of ffmpeg's arguments: where it comes from and how it is
// filtered. Kept apart from the picture's options.

#include "AudioChoice.h"
#include "EncodeRequest.h"

#include <string>
#include <vector>

namespace encoder {

struct SourceSpec;

// "-f amr -i pipe:0" when a feeder brings the sound as raw AMR frames on
// ffmpeg's standard input; nothing otherwise.
void addAudioInput(const AudioSource &audio, std::vector<std::string> &arguments);

// The "-af" chain: sound placed on the time line from 0 as players place it
// (see SoundPlacement), the volume of "-vol". trimStart: seconds the sound must drop
// itself because its input was not seeked with the picture's (raw AMR).
std::string audioFilters(const EncodeRequest &request, const AudioSource &audio, double trimStart);

// The feeder: the chosen stream copied as raw AMR to standard output, which
// splits packets holding several frames.
std::vector<std::string> amrFeederArguments(const SourceSpec &source, const AudioSource &audio);

} // namespace encoder
