#include "FfmpegArguments.h"

#include "AudioArguments.h"
#include "AudioLimits.h"
#include "FrameFit.h"
#include "FrameRate.h"
#include "OutputFormat.h"
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

std::string videoFilters(const EncodeRequest &request, const SourceSpec &source)
{
    std::string chain;
    for (const std::string *rate : {&source.constantRate, &request.frameRate}) {
        if (rate->empty())
            continue;
        if (!chain.empty())
            chain += ',';
        chain += "fps=" + fractionText(frameRateFraction(*rate));
    }
    // After the rate, so that only the frames kept are scaled.
    if (const std::string fit = frameFitFilters(request); !fit.empty())
        chain += (chain.empty() ? "" : ",") + fit;
    return chain;
}

void addVideoOptions(const EncodeRequest &request, const SourceSpec &source, Arguments &arguments)
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
    if (const std::string filters = videoFilters(request, source); !filters.empty())
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
                                         const AudioSource &audio)
{
    const std::string muxer = muxerFor(request);
    Arguments arguments{"-hide_banner", "-nostdin", "-nostats", "-loglevel", "level+info"};
    if (!plan.progressUrl.empty())
        arguments.insert(arguments.end(), {"-progress", plan.progressUrl, "-stats_period", "0.5"});
    const bool trimsStart = request.start && *request.start > 0.0;
    if (trimsStart && plan.seekInput)
        arguments.insert(arguments.end(), {"-ss", secondsText(*request.start)});
    arguments.insert(arguments.end(), {"-i", fileUrl(source.path)});
    addAudioInput(audio, arguments);
    if (trimsStart && !plan.seekInput)
        arguments.insert(arguments.end(), {"-ss", secondsText(*request.start)});
    // Subtitles and data streams could not go into these containers.
    arguments.insert(arguments.end(), {"-sn", "-dn", "-max_muxing_queue_size", "4096"});
    addStreamMaps(request, audio, arguments);
    addVideoOptions(request, source, arguments);
    const double soundTrim = trimsStart && plan.seekInput ? *request.start : 0.0;
    addAudioOptions(request, muxer, audioFilters(request, audio, soundTrim), arguments);
    if (request.length)
        arguments.insert(arguments.end(), {"-t", secondsText(*request.length)});
    arguments.insert(arguments.end(), {"-f", muxer, "-y", plan.outputUrl});
    return arguments;
}

} // namespace encoder
