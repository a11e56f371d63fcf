#pragma once

#include <optional>
#include <string>

namespace encoder {

// One conversion as the command line asks for it, values already checked.
// Empty texts and unset optionals mean "not given".
struct EncodeRequest {
    bool overwrite = false;          // -y
    std::string input;               // -i
    std::string videoCodec;          // -vcodec, as given ("mpeg4", "xvid")
    std::string audioCodec;          // -acodec, as given ("aac", "mp3")
    bool noVideo = false;            // -vn
    std::optional<int> videoBitrate; // -b, kbit/s
    std::optional<int> width;        // -s WxH
    std::optional<int> height;       //
    std::string frameRate;           // -r, the text as given ("14.985")
    std::string aspect;              // -aspect, the text as given ("4:3")
    std::optional<int> audioBitrate; // -ab, kbit/s
    std::optional<int> volume;       // -vol, 256 = unchanged
    std::optional<int> channels;     // -ac
    std::optional<int> sampleRate;   // -ar, Hz
    std::string format;              // -f
    std::optional<double> start;     // -ss, seconds
    std::optional<double> length;    // -t, seconds
    std::string output;              // the last argument

    // The status lines carry the video fields unless video is switched off.
    bool reportsVideo() const { return !noVideo; }
};

} // namespace encoder
