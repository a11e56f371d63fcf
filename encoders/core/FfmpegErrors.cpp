#include "FfmpegErrors.h"

#include <array>

namespace encoder {

namespace {

constexpr std::array errorTags{std::string_view("[error] "), std::string_view("[fatal] ")};

std::string withoutFilePrefixes(std::string line)
{
    for (std::size_t at = line.find("file:"); at != std::string::npos; at = line.find("file:", at))
        line.erase(at, 5);
    return line;
}

bool mentions(const std::string &line, std::string_view text)
{
    return line.find(text) != std::string::npos;
}

} // namespace

void FfmpegLog::feed(std::string_view bytes)
{
    for (const char c : bytes) {
        if (c == '\n' || c == '\r') {
            takeLine(m_line);
            m_line.clear();
        } else if (m_line.size() < longestLine) {
            m_line.push_back(c);
        }
    }
}

void FfmpegLog::takeLine(std::string_view line)
{
    if (line.find("could not seek to position") != std::string_view::npos)
        m_seekFailed = true;
    for (const std::string_view tag : errorTags) {
        const std::size_t at = line.find(tag);
        if (at == std::string_view::npos)
            continue;
        std::string text(line.substr(0, at));
        text.append(line.substr(at + tag.size()));
        m_lastError = withoutFilePrefixes(std::move(text));
        return;
    }
}

std::string describeFailure(const std::string &ffmpegError, const std::string &inputPath, int exitCode)
{
    const std::string quoted = "\"" + inputPath + "\"";
    if (mentions(ffmpegError, "Invalid data found when processing input") ||
        mentions(ffmpegError, "could not find codec parameters"))
        return quoted + " is not a media file that can be converted";
    if (mentions(ffmpegError, "does not contain any stream"))
        return quoted + " has nothing this output can hold (no audio for an audio file?)";
    if (ffmpegError.empty())
        return "ffmpeg failed with exit code " + std::to_string(exitCode);
    return "ffmpeg failed: " + ffmpegError;
}

} // namespace encoder
