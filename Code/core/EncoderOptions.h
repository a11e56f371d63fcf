#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The eight encoder options, in the order the command line carries them.
enum class TEncoderOption {
    VideoBitrate,
    VideoSize,
    FrameRate,
    Aspect,
    AudioBitrate,
    Volume,
    AudioChannels,
    AudioSample
};
inline constexpr int EncoderOptionCount = 8;

// Everything the program knows of one encoder option, declared once: the
// selectors of the options window, the presets, the custom profiles and the
// command line all derive from this table.
struct TEncoderOptionSpec {
    TEncoderOption Option;
    // The selector in the options window: its object name, its caption, the
    // name screen readers announce and its place in the two columns.
    const char *SelectorName;
    const char *Label;
    const char *AccessibleName;
    int DialogColumn;
    int DialogRow;
    // The catalogue table that fills the selector, its default index last.
    QStringList (*Catalogue)();
    // Place in a preset or custom profile string; -1 for the options that
    // no preset or profile sets (aspect ratio and volume).
    int ProfileField;
    // The command-line fragment: the switch followed by the entry, or the
    // fallback when no entry is chosen.
    const char *Switch;
    const char *Fallback;
    // Only the entry's first character reaches the command line
    // ("2 channels, Stereo" gives "2").
    bool FirstCharacterOnly;
    // Left out of the command line for audio-only output types.
    bool VideoOnly;
};

// The table, in command-line order.
const std::array<TEncoderOptionSpec, EncoderOptionCount> &EncoderOptionTable();
const TEncoderOptionSpec &OptionSpec(TEncoderOption option);

// Presets and custom profiles hold six fields, in this order: video size,
// frame rate, video bitrate, audio bitrate, audio channels, audio sample rate.
inline constexpr int ProfileFieldCount = 6;
const std::array<TEncoderOption, ProfileFieldCount> &ProfileFieldOptions();

// The entry a selector filled from the option's catalogue shows at `index`;
// empty outside the entries.
QString OptionEntry(TEncoderOption option, int index);
// The option's fragment for an entry text; the fallback for an empty one.
QString OptionFragment(TEncoderOption option, const QString &entry);

// The encoder options a row is converted with: the output type and the index
// each option selector shows (-1 for none). Indices, not texts, travel; the
// catalogue turns them into command-line fragments.
struct TEncoderOptions {
    int OutputType = -1;
    std::array<int, EncoderOptionCount> Indices{-1, -1, -1, -1, -1, -1, -1, -1};

    int &operator[](TEncoderOption option) { return Indices[static_cast<std::size_t>(option)]; }
    int operator[](TEncoderOption option) const { return Indices[static_cast<std::size_t>(option)]; }
};

// The six fields of a preset or profile string; a field left empty (or
// "none" in a built-in preset) changes nothing.
using TProfileFields = std::array<std::optional<int>, ProfileFieldCount>;

// A built-in preset: "none" leaves its option alone, anything else is read as
// a decimal index. Nothing for a string that is not six fields.
std::optional<TProfileFields> ReadPresetFields(const QString &preset);
// A stored custom profile: exactly six fields of plain indices. Nothing for any
// other number of fields; throws EConvertError for a field that is not a whole
// number, before anything could be applied. An index beyond int's range means
// no selection.
std::optional<TProfileFields> ReadProfileFields(const QString &value);
// The fields written into `options`.
void ApplyProfileFields(const TProfileFields &fields, TEncoderOptions &options);
// The six indices of `options` as a profile value, -1 for none.
QString ProfileValueOf(const TEncoderOptions &options);
