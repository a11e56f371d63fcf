#include "InputListing.h"

#include "OptionValues.h"
#include "TextLines.h"

#include <charconv>

namespace encoder {

namespace {

constexpr std::string_view firstInput = "Input #0, ";
constexpr std::string_view fromSource = ", from '";
// Stream lines sit two blanks in; metadata lines, deeper, may hold anything.
constexpr std::string_view streamLine = "  Stream #0:";
constexpr std::string_view durationLine = "  Duration: ";

StreamKind kindNamed(std::string_view name)
{
    if (name == "Video")
        return StreamKind::Video;
    if (name == "Audio")
        return StreamKind::Audio;
    return StreamKind::Other;
}

// "aac (LC) (mp4a / 0x6134706D), 44100 Hz": the text in the brackets that
// hold the tag's number, before the first comma.
std::string tagIn(std::string_view described)
{
    described = described.substr(0, described.find(','));
    const std::size_t number = described.find(" / 0x");
    if (number == std::string_view::npos)
        return {};
    const std::size_t open = described.rfind('(', number);
    return open == std::string_view::npos ? std::string() : std::string(described.substr(open + 1, number - open - 1));
}

bool endsListing(std::string_view line)
{
    return line.starts_with("Stream mapping:") || line.starts_with("Output #") || line.starts_with("Input #");
}

} // namespace

void InputListing::takeLine(std::string_view line)
{
    switch (m_state) {
    case State::Before:
        if (line.starts_with(firstInput)) {
            const std::string_view rest = line.substr(firstInput.size());
            m_container = std::string(rest.substr(0, rest.find(fromSource)));
            m_state = State::InFirstInput;
        }
        break;
    case State::InFirstInput:
        if (endsListing(line))
            m_state = State::Done;
        else if (line.starts_with(streamLine))
            takeStreamLine(line.substr(streamLine.size()));
        else if (line.starts_with(durationLine))
            takeDurationLine(line.substr(durationLine.size()));
        break;
    case State::Done:
        break;
    }
}

// "00:01:02.50, start: 0.000000, bitrate: 128 kb/s", or "N/A, ..." when the
// header does not tell.
void InputListing::takeDurationLine(std::string_view line)
{
    const std::string_view clock = line.substr(0, line.find(','));
    const std::vector<std::string_view> parts = splitAt(clock, ':');
    if (parts.size() == 3 && readWholeNumber(parts[1], 0, 59))
        m_duration = readTimeSeconds(clock);
}

// "1[0x2](und): Audio: amr_nb (samr / 0x726D6173), 8000 Hz, mono, fltp (default)"
void InputListing::takeStreamLine(std::string_view line)
{
    ListedStream stream;
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), stream.index);
    if (error != std::errc())
        return;
    const std::size_t kindAt = line.find(": ", static_cast<std::size_t>(end - line.data()));
    if (kindAt == std::string_view::npos)
        return;
    const std::string_view described = line.substr(kindAt + 2);
    const std::size_t kindEnd = described.find(": ");
    if (kindEnd == std::string_view::npos)
        return;
    stream.kind = kindNamed(described.substr(0, kindEnd));
    const std::string_view codec = described.substr(kindEnd + 2);
    stream.codec = std::string(codec.substr(0, codec.find_first_of(" ,")));
    stream.tag = tagIn(codec);
    stream.isDefault = line.find("(default)") != std::string_view::npos;
    stream.attachedPicture = line.find("(attached pic)") != std::string_view::npos;
    m_streams.push_back(std::move(stream));
}

const ListedStream *InputListing::stream(int index) const
{
    for (const ListedStream &stream : m_streams) {
        if (stream.index == index)
            return &stream;
    }
    return nullptr;
}

std::vector<ListedStream> InputListing::audioStreams() const
{
    std::vector<ListedStream> audio;
    for (const ListedStream &stream : m_streams) {
        if (stream.kind == StreamKind::Audio && stream.codec != "none")
            audio.push_back(stream);
    }
    return audio;
}

} // namespace encoder
