#include "FfmpegErrors.h"

#include "CopyProtection.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

namespace encoder {

namespace {

constexpr std::string_view infoTag = "[info] ";
constexpr std::array problemTags{std::string_view("[warning] "), std::string_view("[error] "),
                                 std::string_view("[fatal] ")};

// What ffmpeg says when writing the output fails; the system's reason
// follows the last ": ".
constexpr std::array writeFailures{std::string_view("av_interleaved_write_frame(): "),
                                   std::string_view("Error writing trailer of "),
                                   std::string_view("Error closing file ")};

// Signs of a damaged or cut-off input in ffmpeg's and its demuxers' words.
constexpr std::array damageSigns{
    std::string_view("moov atom not found"),
    std::string_view("partial file"),
    std::string_view("Error while decoding stream"),
    std::string_view("header damaged"),
    std::string_view("Cannot determine format of input stream"),
    std::string_view("Error marking filters as finished"),
    std::string_view("error reading header"),
    std::string_view("corrupt"),
    std::string_view("Truncating packet"),
    std::string_view("Invalid NAL unit"),
};

// The system's words for a read that failed on a disk or device gone bad or
// away, which ffmpeg prints as "<input>: <reason>". A file that merely ends
// early gives none of them.
constexpr std::array readFailures{std::string_view("Input/output error"), std::string_view("No such device or address"),
                                  std::string_view("No such device"), std::string_view("Stale file handle")};

constexpr std::string_view decoderFailure = "Error while opening decoder for input stream #0:";

// The ASF demuxer's warning on a protected header ("Ext DRM protected ..." too).
constexpr std::string_view protectionSign = "DRM protected stream detected";

std::string withoutFilePrefixes(std::string line)
{
    for (std::size_t at = line.find("file:"); at != std::string::npos; at = line.find("file:", at))
        line.erase(at, 5);
    return line;
}

bool mentions(std::string_view line, std::string_view text)
{
    return line.find(text) != std::string_view::npos;
}

std::string systemReason(std::string_view text)
{
    const std::size_t colon = text.rfind(": ");
    return std::string(colon == std::string_view::npos ? text : text.substr(colon + 2));
}

bool isWriteFailure(std::string_view text)
{
    for (const std::string_view failure : writeFailures) {
        if (text.starts_with(failure))
            return true;
    }
    return false;
}

// Of a line that is no write failure.
bool isReadFailure(const std::string &text)
{
    if (text.find(": ") == std::string::npos)
        return false;
    const std::string reason = systemReason(text);
    return std::find(readFailures.begin(), readFailures.end(), reason) != readFailures.end();
}

std::string clockText(double seconds)
{
    const long whole = static_cast<long>(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
    return text;
}

int streamNumberAt(std::string_view text)
{
    int number = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() ? number : -1;
}

std::string undecodableText(const FfmpegLog &log, const std::string &quoted)
{
    const ListedStream *stream = log.input().stream(log.undecodableStream());
    const std::string what = stream && stream->kind == StreamKind::Video ? "picture" : "sound";
    return "the " + what + " of " + quoted + " is in a form this computer cannot decode";
}

} // namespace

void FfmpegLog::feed(std::string_view bytes)
{
    m_lines.feed(bytes, [this](std::string_view line, bool) { takeLine(line); });
}

void FfmpegLog::takeLine(std::string_view line)
{
    if (line.starts_with(infoTag)) {
        m_input.takeLine(line.substr(infoTag.size()));
        return;
    }
    if (mentions(line, "could not seek to position"))
        m_seekFailed = true;
    for (std::size_t tag = 0; tag < problemTags.size(); ++tag) {
        const std::size_t at = line.find(problemTags[tag]);
        if (at == std::string_view::npos)
            continue;
        std::string text(line.substr(0, at));
        text.append(line.substr(at + problemTags[tag].size()));
        text = withoutFilePrefixes(std::move(text));
        takeProblem(text);
        if (tag > 0)
            m_lastError = std::move(text);
        return;
    }
}

void FfmpegLog::takeProblem(const std::string &text)
{
    if (isWriteFailure(text)) {
        if (m_writeFailure.empty())
            m_writeFailure = systemReason(text);
    } else if (isReadFailure(text) && m_readFailure.empty()) {
        m_readFailure = systemReason(text);
    }
    if (text.starts_with(decoderFailure) && m_undecodableStream < 0)
        m_undecodableStream = streamNumberAt(std::string_view(text).substr(decoderFailure.size()));
    for (const std::string_view sign : damageSigns) {
        if (mentions(text, sign))
            m_sawDamage = true;
    }
    if (mentions(text, protectionSign))
        m_sawProtection = true;
}

bool FfmpegLog::copyProtected() const
{
    return m_sawProtection || isCopyProtected(m_input);
}

std::string describeFailure(const FfmpegLog &log, const std::string &inputPath, int exitCode)
{
    const std::string quoted = "\"" + inputPath + "\"";
    const std::string &ffmpegError = log.lastError();
    if (!log.writeFailure().empty())
        return log.writeFailure();
    if (log.copyProtected())
        return quoted + " is copy-protected and cannot be converted";
    if (log.undecodableStream() >= 0)
        return undecodableText(log, quoted);
    if (mentions(ffmpegError, "does not contain any stream"))
        return quoted + " has nothing this output can hold (no audio for an audio file?)";
    if (log.sawDamage())
        return "the source file " + quoted + " is damaged or incomplete";
    if (mentions(ffmpegError, "Invalid data found when processing input") ||
        mentions(ffmpegError, "could not find codec parameters"))
        return quoted + " is not a media file that can be converted";
    if (ffmpegError.empty())
        return "ffmpeg failed with exit code " + std::to_string(exitCode);
    return "ffmpeg failed: " + ffmpegError;
}

std::string describeReadFailure(const FfmpegLog &log, double outputSeconds)
{
    return "reading the source failed at " + clockText(outputSeconds) + ": " + log.readFailure();
}

} // namespace encoder
