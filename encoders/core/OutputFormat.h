#pragma once

#include "EncodeRequest.h"

#include <string>
#include <string_view>

namespace encoder {

// The ffmpeg muxer of the output: from "-f" when given, else from the output
// path's extension. Throws EncoderError when neither names a known container.
std::string muxerFor(const EncodeRequest &request);

// True for containers that hold nothing but audio.
bool isAudioOnlyMuxer(std::string_view muxer);

// ffmpeg's encoder for a codec name of the command line; empty when unknown.
std::string videoEncoderFor(std::string_view codec);
std::string audioEncoderFor(std::string_view codec);

// The codec names used when the command line names none.
std::string_view defaultVideoCodec();
std::string_view defaultAudioCodecFor(std::string_view muxer);

} // namespace encoder
