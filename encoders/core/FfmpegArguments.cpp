#include "FfmpegArguments.h"

#include "AudioArguments.h"
#include "AudioLimits.h"
#include "FrameFit.h"
#include "FrameRate.h"
#include "OutputFormat.h"
#include "StreamMaps.h"
#include "VideoRateControl.h"

#include <array>
#include <charconv>

namespace encoder {

namespace {

using Arguments = std::vector<std::string>;

std::string secondsText(double seconds)
{
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), seconds);
    return std::string(buffer.data(), result.ptr);
}

std::string kilobits(int value)
{
    return std::to_string(value) + "k";
}

void appendFilter(std::string &chain, const std::string &filter)
{
    if (!filter.empty())
        chain += (chain.empty() ? "" : ",") + filter;
}

// The picture is turned first, as the frame fit expects it. A picture of a
// few frames keeps its last frame to the cut's end (before any rate change,
// which would drop a frame shorter than its period), and the first rate
// change repeats its first frame from the cut's start.
std::string videoFilters(const EncodeRequest &request, const SourceSpec &source, const VideoSource &video)
{
    std::string chain;
    if (video.ownOrientation)
        appendFilter(chain, orientationFilters(*video.ownOrientation));
    if (video.hold > 0.0)
        appendFilter(chain, "tpad=stop_mode=clone:stop_duration=" + secondsText(video.hold));
    bool firstRate = true;
    for (const std::string *rate : {&source.constantRate, &request.frameRate}) {
        if (rate->empty())
            continue;
        std::string fps = "fps=" + fractionText(frameRateFraction(*rate));
        if (firstRate && video.leadIn > 0.0)
            fps += ":start_time=0";
        appendFilter(chain, fps);
        firstRate = false;
    }
    // After the rate, so that only the frames kept are scaled.
    appendFilter(chain, frameFitFilters(request));
    return chain;
}

void addVideoOptions(const EncodeRequest &request, const SourceSpec &source, const VideoSource &video,
                     Arguments &arguments)
{
    if (request.noVideo) {
        arguments.insert(arguments.end(), {"-vn"});
        return;
    }
    const std::string codec = request.videoCodec.empty() ? std::string(defaultVideoCodec()) : request.videoCodec;
    const std::string encoder = videoEncoderFor(codec);
    arguments.insert(arguments.end(), {"-c:v", encoder});
    if (encoder == "mpeg4") {
        const std::vector<std::string> rateControl = mpeg4RateControl(videoTargetOf(request, source.constantRate));
        arguments.insert(arguments.end(), rateControl.begin(), rateControl.end());
    } else if (request.videoBitrate) {
        arguments.insert(arguments.end(), {"-b:v", kilobits(*request.videoBitrate)});
    }
    if (const std::string filters = videoFilters(request, source, video); !filters.empty())
        arguments.insert(arguments.end(), {"-vf", filters});
    if (request.width && request.height)
        arguments.insert(arguments.end(),
                         {"-s", std::to_string(*request.width) + "x" + std::to_string(*request.height)});
    if (!request.aspect.empty())
        arguments.insert(arguments.end(), {"-aspect", request.aspect});
}

void addAudioOptions(const EncodeRequest &request, const std::string &muxer, const std::string &filters,
                     Arguments &arguments)
{
    const std::string codec =
        request.audioCodec.empty() ? std::string(defaultAudioCodecFor(muxer)) : request.audioCodec;
    const std::string encoder = audioEncoderFor(codec);
    arguments.insert(arguments.end(), {"-c:a", encoder});
    // Players of this class decode AAC Low Complexity only; say so.
    if (encoder == "aac")
        arguments.insert(arguments.end(), {"-profile:a", "aac_low"});
    if (request.audioBitrate)
        arguments.insert(arguments.end(), {"-b:a", kilobits(*request.audioBitrate)});
    arguments.insert(arguments.end(), {"-af", filters});
    if (request.channels)
        arguments.insert(arguments.end(), {"-ac", std::to_string(supportedChannels(encoder, *request.channels))});
    if (request.sampleRate)
        arguments.insert(arguments.end(), {"-ar", std::to_string(supportedSampleRate(encoder, *request.sampleRate))});
}

} // namespace

std::string fileUrl(const std::string &path)
{
    return "file:" + path;
}

std::vector<std::string> ffmpegArguments(const EncodeRequest &request, const SourceSpec &source, const FfmpegPlan &plan,
                                         const AudioSource &audio, const VideoSource &video)
{
    const std::string muxer = muxerFor(request);
    Arguments arguments{"-hide_banner", "-nostdin", "-nostats", "-loglevel", "level+info"};
    if (!plan.progressUrl.empty())
        arguments.insert(arguments.end(), {"-progress", plan.progressUrl, "-stats_period", "0.5"});
    const bool trimsStart = request.start && *request.start > 0.0;
    if (trimsStart && plan.seekInput)
        arguments.insert(arguments.end(), {"-ss", secondsText(*request.start)});
    // The picture's own orientation replaces ffmpeg's turning by the container's.
    if (video.ownOrientation)
        arguments.insert(arguments.end(), {"-noautorotate"});
    arguments.insert(arguments.end(), {"-i", fileUrl(source.path)});
    addAudioInput(audio, arguments);
    if (trimsStart && !plan.seekInput)
        arguments.insert(arguments.end(), {"-ss", secondsText(*request.start)});
    // Subtitles and data streams could not go into these containers.
    arguments.insert(arguments.end(), {"-sn", "-dn", "-max_muxing_queue_size", "4096"});
    addStreamMaps(request, video, audio, arguments);
    addVideoOptions(request, source, video, arguments);
    const double soundTrim = trimsStart && plan.seekInput ? *request.start : 0.0;
    addAudioOptions(request, muxer, audioFilters(request, audio, soundTrim), arguments);
    if (request.length)
        arguments.insert(arguments.end(), {"-t", secondsText(*request.length)});
    arguments.insert(arguments.end(), {"-f", muxer, "-y", plan.outputUrl});
    return arguments;
}

} // namespace encoder
