#include "ScriptInput.h"

#include "AvsScript.h"
#include "EncoderError.h"
#include "SourceCheck.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace encoder {

namespace {

// A one-line script is short; anything longer is not one.
constexpr std::size_t longestScript = 64 * 1024;

std::string readSmallFile(const std::string &path)
{
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        throw EncoderError("cannot read the script \"" + path + "\": " + std::strerror(errno));
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(got));
        if (text.size() > longestScript)
            break;
    }
    ::close(descriptor);
    if (text.size() > longestScript)
        throw EncoderError("\"" + path + "\" is not a DirectShowSource script: it is longer than one line could be");
    return text;
}

std::string besideScript(const std::string &scriptPath, const std::string &path)
{
    if (!path.empty() && path.front() == '/')
        return path;
    const std::size_t slash = scriptPath.rfind('/');
    return slash == std::string::npos ? path : scriptPath.substr(0, slash + 1) + path;
}

} // namespace

SourceSpec readScriptSource(const std::string &scriptPath)
{
    checkReadableFile(scriptPath, "script");
    const std::string text = readSmallFile(scriptPath);
    ScriptSource script;
    try {
        script = parseDirectShowScript(text);
    } catch (const EncoderError &error) {
        throw EncoderError("\"" + scriptPath + "\" is not a DirectShowSource script: " + error.what());
    }
    return {besideScript(scriptPath, script.path), script.constantRate};
}

} // namespace encoder
