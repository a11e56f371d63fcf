#pragma once

#include "AudioChoice.h"
#include "EncodeRequest.h"
#include "StreamChoice.h"

#include <string>
#include <vector>

namespace encoder {

// When streams are chosen here: "-map" for the chosen picture (else the
// input's first moving one, if any) unless the output has none, and for the
// chosen sound. Nothing when ffmpeg chooses.
void addStreamMaps(const EncodeRequest &request, const VideoSource &video, const AudioSource &audio,
                   std::vector<std::string> &arguments);

} // namespace encoder
