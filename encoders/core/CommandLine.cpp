#include "CommandLine.h"

#include "EncoderError.h"
#include "OptionValues.h"
#include "OutputFormat.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace encoder {

namespace {

constexpr std::array flagOptions{std::string_view("-y"), std::string_view("-vn")};
constexpr std::array valueOptions{
    std::string_view("-i"),   std::string_view("-vcodec"), std::string_view("-acodec"), std::string_view("-b"),
    std::string_view("-s"),   std::string_view("-r"),      std::string_view("-aspect"), std::string_view("-ab"),
    std::string_view("-vol"), std::string_view("-ac"),     std::string_view("-ar"),     std::string_view("-f"),
    std::string_view("-ss"),  std::string_view("-t"),
};

template <std::size_t N> bool contains(const std::array<std::string_view, N> &names, std::string_view name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

[[noreturn]] void badValue(std::string_view option, const std::string &value, std::string_view expected)
{
    throw EncoderError("invalid value \"" + value + "\" for " + std::string(option) + " (expected " +
                       std::string(expected) + ")");
}

int wholeNumber(std::string_view option, const std::string &value, int minimum, int maximum, std::string_view expected)
{
    const auto number = readWholeNumber(value, minimum, maximum);
    if (!number)
        badValue(option, value, expected);
    return *number;
}

void readFrameSize(const std::string &value, EncodeRequest &request)
{
    const std::size_t x = value.find('x');
    const auto width = readWholeNumber(std::string_view(value).substr(0, x), 16, 8192);
    const auto height =
        x == std::string::npos ? std::nullopt : readWholeNumber(std::string_view(value).substr(x + 1), 16, 8192);
    if (!width || !height)
        badValue("-s", value, "a size such as 320x240");
    request.width = width;
    request.height = height;
}

double timeSeconds(std::string_view option, const std::string &value)
{
    const auto seconds = readTimeSeconds(value);
    if (!seconds)
        badValue(option, value, "seconds or hours:minutes:seconds");
    return *seconds;
}

void applyValue(std::string_view option, const std::string &value, EncodeRequest &request)
{
    if (option == "-i") {
        if (value.empty())
            throw EncoderError("the input file name after -i is empty");
        request.input = value;
    } else if (option == "-vcodec") {
        if (videoEncoderFor(value).empty())
            throw EncoderError("unknown video codec \"" + value + "\" (known: mpeg4, xvid)");
        request.videoCodec = value;
    } else if (option == "-acodec") {
        if (audioEncoderFor(value).empty())
            throw EncoderError("unknown audio codec \"" + value + "\" (known: aac, mp3)");
        request.audioCodec = value;
    } else if (option == "-b") {
        request.videoBitrate = wholeNumber(option, value, 1, 100000, "kbit/s from 1 to 100000");
    } else if (option == "-s") {
        readFrameSize(value, request);
    } else if (option == "-r") {
        if (!readFrameRate(value))
            badValue(option, value, "frames per second from 1 to 240");
        request.frameRate = value;
    } else if (option == "-aspect") {
        if (!isAspectRatio(value))
            badValue(option, value, "a ratio such as 4:3");
        request.aspect = value;
    } else if (option == "-ab") {
        request.audioBitrate = wholeNumber(option, value, 1, 10000, "kbit/s from 1 to 10000");
    } else if (option == "-vol") {
        request.volume = wholeNumber(option, value, 0, 100000, "a whole number, 256 for unchanged");
    } else if (option == "-ac") {
        request.channels = wholeNumber(option, value, 1, 8, "1 to 8 channels");
    } else if (option == "-ar") {
        request.sampleRate = wholeNumber(option, value, 1000, 384000, "a sample rate in Hz");
    } else if (option == "-f") {
        request.format = value;
    } else if (option == "-ss") {
        request.start = timeSeconds(option, value);
    } else if (option == "-t") {
        const double length = timeSeconds(option, value);
        if (length <= 0.0)
            badValue(option, value, "a length of more than 0 seconds");
        request.length = length;
    }
}

void complete(EncodeRequest &request)
{
    if (request.input.empty())
        throw EncoderError("no input file given (-i)");
    // An audio container takes no picture, whether or not -vn was written.
    if (isAudioOnlyMuxer(muxerFor(request)))
        request.noVideo = true;
}

} // namespace

EncodeRequest parseCommandLine(const std::vector<std::string> &arguments)
{
    if (arguments.empty())
        throw EncoderError("no options given; usage: -y -i input [options] output");
    const std::string &last = arguments.back();
    if (last.empty())
        throw EncoderError("the output file name is empty");
    if (contains(flagOptions, last) || contains(valueOptions, last))
        throw EncoderError("no output file given after the options");

    EncodeRequest request;
    request.output = last;
    const std::size_t optionCount = arguments.size() - 1;
    for (std::size_t i = 0; i < optionCount; ++i) {
        const std::string &option = arguments[i];
        if (option == "-y") {
            request.overwrite = true;
        } else if (option == "-vn") {
            request.noVideo = true;
        } else if (contains(valueOptions, option)) {
            if (i + 1 >= optionCount)
                throw EncoderError("option " + option + " needs a value");
            applyValue(option, arguments[++i], request);
        } else if (!option.empty() && option.front() == '-') {
            throw EncoderError("unknown option " + option);
        } else {
            throw EncoderError("unexpected argument \"" + option + "\" (only the output file may follow the options)");
        }
    }
    complete(request);
    return request;
}

} // namespace encoder
