#include "AudioArguments.h"

#include "FfmpegArguments.h"
#include "SoundPlacement.h"

#include <array>
#include <charconv>

namespace encoder {

namespace {

std::string decimal(double value, int digits)
{
    std::array<char, 64> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, digits);
    return std::string(buffer.data(), result.ptr);
}

// "-vol N" scales the audio by N/256; N/256 is always exact in decimal.
std::string volumeFilter(int volume)
{
    return "volume=" + decimal(volume / 256.0, 8);
}

} // namespace

void addAudioInput(const AudioSource &audio, std::vector<std::string> &arguments)
{
    if (audio.rawAmr)
        arguments.insert(arguments.end(), {"-f", "amr", "-i", "pipe:0"});
}

std::string audioFilters(const EncodeRequest &request, const AudioSource &audio, double trimStart)
{
    std::string chain;
    if (audio.rawAmr && trimStart > 0.0)
        chain += "atrim=start=" + decimal(trimStart, 6) + ",asetpts=PTS-STARTPTS,";
    chain += soundPlacementFilters();
    if (request.volume && *request.volume != 256)
        chain += "," + volumeFilter(*request.volume);
    return chain;
}

std::vector<std::string> amrFeederArguments(const SourceSpec &source, const AudioSource &audio)
{
    return {"-hide_banner",
            "-nostdin",
            "-nostats",
            "-loglevel",
            "level+warning",
            "-i",
            fileUrl(source.path),
            "-map",
            "0:" + std::to_string(audio.stream),
            "-c:a",
            "copy",
            "-f",
            "amr",
            "pipe:1"};
}

} // namespace encoder
