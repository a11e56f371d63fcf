#include "OutputFormat.h"

#include "EncoderError.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace encoder {

namespace {

using NamePair = std::pair<std::string_view, std::string_view>;

// Output extensions (lower case) and the muxer each one means.
constexpr std::array extensionMuxers{
    NamePair{".mp4", "mp4"},  NamePair{".m4v", "ipod"}, NamePair{".m4a", "ipod"},
    NamePair{".mov", "mov"},  NamePair{".3gp", "3gp"},  NamePair{".3g2", "3g2"},
    NamePair{".aac", "adts"}, NamePair{".mp3", "mp3"},  NamePair{".avi", "avi"},
};

// Names accepted after "-f" and the muxer each one means.
constexpr std::array formatMuxers{
    NamePair{"mp4", "mp4"}, NamePair{"mov", "mov"}, NamePair{"ipod", "ipod"}, NamePair{"m4a", "ipod"},
    NamePair{"3gp", "3gp"}, NamePair{"3g2", "3g2"}, NamePair{"adts", "adts"}, NamePair{"aac", "adts"},
    NamePair{"mp3", "mp3"}, NamePair{"avi", "avi"},
};

constexpr std::array videoEncoders{
    NamePair{"mpeg4", "mpeg4"},
    NamePair{"xvid", "libxvid"},
    NamePair{"libxvid", "libxvid"},
};

constexpr std::array audioEncoders{
    NamePair{"aac", "aac"},
    NamePair{"mp3", "libmp3lame"},
    NamePair{"libmp3lame", "libmp3lame"},
};

template <std::size_t N> std::string lookUp(const std::array<NamePair, N> &table, std::string_view key)
{
    for (const auto &[name, value] : table) {
        if (name == key)
            return std::string(value);
    }
    return {};
}

std::string lowerCase(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string extensionOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return lowerCase(std::string_view(path).substr(dot));
}

} // namespace

std::string muxerFor(const EncodeRequest &request)
{
    if (!request.format.empty()) {
        std::string muxer = lookUp(formatMuxers, request.format);
        if (muxer.empty())
            throw EncoderError("unknown output format \"" + request.format + "\" after -f");
        return muxer;
    }
    std::string muxer = lookUp(extensionMuxers, extensionOf(request.output));
    if (muxer.empty())
        throw EncoderError("cannot tell the output format from the name \"" + request.output +
                           "\" (use .mp4, .mov, .aac, .m4a or .mp3)");
    return muxer;
}

bool isAudioOnlyMuxer(std::string_view muxer)
{
    return muxer == "adts" || muxer == "mp3";
}

std::string videoEncoderFor(std::string_view codec)
{
    return lookUp(videoEncoders, codec);
}

std::string audioEncoderFor(std::string_view codec)
{
    return lookUp(audioEncoders, codec);
}

std::string_view defaultVideoCodec()
{
    return "mpeg4";
}

std::string_view defaultAudioCodecFor(std::string_view muxer)
{
    return muxer == "mp3" || muxer == "avi" ? "mp3" : "aac";
}

} // namespace encoder
