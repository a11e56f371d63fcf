#pragma once

#include <string_view>

namespace encoder {

// What an audio encoder of ffmpeg accepts, so that any choice of the option
// selectors still gives a file: a sample rate the encoder refuses becomes
// the closest one it takes, and MP3 carries at most two channels.
int supportedSampleRate(std::string_view encoder, int rate);
int supportedChannels(std::string_view encoder, int channels);

} // namespace encoder
