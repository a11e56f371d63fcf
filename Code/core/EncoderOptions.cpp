#include "Code/core/EncoderOptions.h"

#include "Code/core/TextFormats.h"
#include "Code/core/Unit_ConfigInfo.h"

#include <limits>

namespace {

using O = TEncoderOption;

// clang-format off
const std::array<TEncoderOptionSpec, EncoderOptionCount> table{{
    // option          selector             label                    accessible name      col row catalogue           field switch      fallback            first  video
    {O::VideoBitrate,  "cbbVideoBitrate",   "Video Bitrate(kbps):",  "Video bitrate",     0,  1,  GetVideoBitrateList,  2,  " -b ",      " -b 512",          false, true},
    {O::VideoSize,     "cbbVideoSize",      "Video Size:",           "Video size",        0,  0,  GetVideoSizeList,     0,  " -s ",      " -s 320x240",      false, true},
    {O::FrameRate,     "cbbFramerate",      "Frame Rate(fps):",      "Frame rate",        0,  2,  GetFrameRateList,     1,  " -r ",      " -r 25",           false, true},
    {O::Aspect,        "cbbAspectratio",    "Aspect Ratio:",         "Aspect ratio",      0,  3,  GetAspectRatioList,  -1,  " -aspect ", " -aspect 4:3",     false, true},
    {O::AudioBitrate,  "cbbAudioBitrate",   "Audio Bitrate(kbps):",  "Audio bitrate",     1,  0,  GetAudioBitrateList,  3,  " -ab ",     " -ab 64",          false, false},
    {O::Volume,        "cbbAudioVolumeGain","Audio Volume(%):",      "Audio volume",      1,  2,  GetVolumeGainList,   -1,  " -vol ",    " ",                false, false},
    {O::AudioChannels, "cbbAudioChannels",  "Audio Channels:",       "Audio channels",    1,  3,  GetAudioChannelsList, 4,  " -ac ",     " -ac 2",           true,  false},
    {O::AudioSample,   "cbbAudioSample",    "Audio Sample(khz):",    "Audio sample rate", 1,  1,  GetAudioSampleList,   5,  " -ar ",     " -ar 44100",       false, false},
}};
// clang-format on

std::array<TEncoderOption, ProfileFieldCount> profileOrder()
{
    std::array<TEncoderOption, ProfileFieldCount> order{};
    for (const TEncoderOptionSpec &option : table) {
        if (option.ProfileField >= 0)
            order[static_cast<std::size_t>(option.ProfileField)] = option.Option;
    }
    return order;
}

} // namespace

const std::array<TEncoderOptionSpec, EncoderOptionCount> &EncoderOptionTable()
{
    return table;
}

const TEncoderOptionSpec &OptionSpec(TEncoderOption option)
{
    return table[static_cast<std::size_t>(option)];
}

const std::array<TEncoderOption, ProfileFieldCount> &ProfileFieldOptions()
{
    static const std::array<TEncoderOption, ProfileFieldCount> order = profileOrder();
    return order;
}

QString OptionEntry(TEncoderOption option, int index)
{
    // The catalogue's last element is the default index, not an entry.
    const QStringList catalogue = OptionSpec(option).Catalogue();
    return index >= 0 && index < catalogue.size() - 1 ? catalogue.at(index) : QString();
}

QString OptionFragment(TEncoderOption option, const QString &entry)
{
    const TEncoderOptionSpec &known = OptionSpec(option);
    const QString value = known.FirstCharacterOnly ? entry.left(1) : entry;
    return value.isEmpty() ? QLatin1String(known.Fallback) : QLatin1String(known.Switch) + value;
}

namespace {
// Six fields, each read by `read`; nothing for any other number of fields.
template <typename Read> std::optional<TProfileFields> readFields(const QString &value, Read read)
{
    const QStringList pieces = SplitByChar(value, QLatin1Char('|'));
    if (pieces.size() != ProfileFieldCount)
        return std::nullopt;
    TProfileFields fields;
    for (int i = 0; i < ProfileFieldCount; ++i)
        fields[static_cast<std::size_t>(i)] = read(pieces.at(i));
    return fields;
}
} // namespace

std::optional<TProfileFields> ReadPresetFields(const QString &preset)
{
    return readFields(preset, [](const QString &piece) -> std::optional<int> {
        if (piece == QLatin1String("none"))
            return std::nullopt;
        return piece.toInt();
    });
}

std::optional<TProfileFields> ReadProfileFields(const QString &value)
{
    // Every field is read before any is used, so a damaged profile sets nothing.
    return readFields(value, [](const QString &piece) -> std::optional<int> {
        if (piece.isEmpty())
            return std::nullopt;
        const qint64 index = StrToInt(piece);
        return index >= 0 && index <= std::numeric_limits<int>::max() ? static_cast<int>(index) : -1;
    });
}

void ApplyProfileFields(const TProfileFields &fields, TEncoderOptions &options)
{
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i])
            options[ProfileFieldOptions()[i]] = *fields[i];
    }
}

QString ProfileValueOf(const TEncoderOptions &options)
{
    QStringList indices;
    for (TEncoderOption option : ProfileFieldOptions())
        indices.append(QString::number(options[option]));
    return indices.join(QLatin1Char('|'));
}
