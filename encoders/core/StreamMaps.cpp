#include "StreamMaps.h"

namespace encoder {

void addStreamMaps(const EncodeRequest &request, const VideoSource &video, const AudioSource &audio,
                   std::vector<std::string> &arguments)
{
    if (audio.stream < 0 && video.stream < 0)
        return;
    if (request.reportsVideo())
        arguments.insert(arguments.end(), {"-map", video.stream < 0 ? "0:V:0?" : "0:" + std::to_string(video.stream)});
    if (audio.stream >= 0)
        arguments.insert(arguments.end(), {"-map", audio.rawAmr ? "1:a:0" : "0:" + std::to_string(audio.stream)});
}

} // namespace encoder
