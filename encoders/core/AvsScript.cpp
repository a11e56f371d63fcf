#include "AvsScript.h"

#include "EncoderError.h"
#include "OptionValues.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace encoder {

namespace {

// Reads the script left to right; every method throws on a mismatch.
class ScriptCursor {
public:
    explicit ScriptCursor(std::string_view text) : m_text(text) {}

    void skipBlanks()
    {
        while (m_at < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_at])))
            ++m_at;
    }

    bool atEnd() const { return m_at >= m_text.size(); }

    char peek() const { return atEnd() ? '\0' : m_text[m_at]; }

    void expect(char wanted, std::string_view what)
    {
        skipBlanks();
        if (peek() != wanted)
            fail("expected " + std::string(what));
        ++m_at;
    }

    // Letters, digits and "_", as names are written.
    std::string name()
    {
        skipBlanks();
        const std::size_t from = m_at;
        while (!atEnd() && (std::isalnum(static_cast<unsigned char>(peek())) || peek() == '_'))
            ++m_at;
        std::string word(m_text.substr(from, m_at - from));
        std::transform(word.begin(), word.end(), word.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return word;
    }

    // A word of digits, letters and "." (a number or true/false).
    std::string value()
    {
        skipBlanks();
        const std::size_t from = m_at;
        while (!atEnd() && (std::isalnum(static_cast<unsigned char>(peek())) || peek() == '.'))
            ++m_at;
        return std::string(m_text.substr(from, m_at - from));
    }

    std::string quotedText()
    {
        skipBlanks();
        if (m_text.substr(m_at, 3) == "\"\"\"")
            return tripleQuoted();
        expect('"', "a quoted file path");
        const std::size_t end = m_text.find('"', m_at);
        if (end == std::string_view::npos)
            fail("the file path has no closing quote");
        std::string text(m_text.substr(m_at, end - m_at));
        m_at = end + 1;
        return text;
    }

    [[noreturn]] void fail(const std::string &reason) const { throw EncoderError(reason); }

private:
    // Ends at the first """ that only blanks separate from a "," or ")", so
    // the text itself may hold quotes, even at its start or end.
    std::string tripleQuoted()
    {
        const std::size_t from = m_at + 3;
        for (std::size_t end = m_text.find("\"\"\"", from); end != std::string_view::npos;
             end = m_text.find("\"\"\"", end + 1)) {
            std::size_t after = end + 3;
            while (after < m_text.size() && (m_text[after] == ' ' || m_text[after] == '\t'))
                ++after;
            if (after < m_text.size() && (m_text[after] == ',' || m_text[after] == ')')) {
                m_at = end + 3;
                return std::string(m_text.substr(from, end - from));
            }
        }
        fail("the triple-quoted file path has no end");
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

struct NamedArguments {
    std::optional<std::string> fps;
    std::optional<bool> convertFps;
};

void readNamedArgument(ScriptCursor &cursor, NamedArguments &arguments)
{
    const std::string key = cursor.name();
    cursor.expect('=', "\"=\" after " + (key.empty() ? std::string("an argument name") : key));
    const std::string value = cursor.value();
    if (key == "fps" && !arguments.fps) {
        if (value.find('/') != std::string::npos || !readFrameRate(value))
            cursor.fail("fps=" + value + " is not a frame rate from 1 to 240");
        arguments.fps = value;
    } else if (key == "convertfps" && !arguments.convertFps) {
        std::string lower = value;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (lower != "true" && lower != "false")
            cursor.fail("convertfps=" + value + " is neither true nor false");
        arguments.convertFps = lower == "true";
    } else {
        cursor.fail("unexpected argument \"" + key + "\"");
    }
}

} // namespace

ScriptSource parseDirectShowScript(std::string_view text)
{
    ScriptCursor cursor(text);
    if (cursor.name() != "directshowsource")
        cursor.fail("the script does not begin with DirectShowSource(");
    cursor.expect('(', "\"(\" after DirectShowSource");
    ScriptSource source;
    source.path = cursor.quotedText();
    if (source.path.empty())
        cursor.fail("the file path is empty");
    NamedArguments arguments;
    cursor.skipBlanks();
    while (cursor.peek() == ',') {
        cursor.expect(',', "\",\"");
        readNamedArgument(cursor, arguments);
        cursor.skipBlanks();
    }
    cursor.expect(')', "\")\" closing DirectShowSource");
    cursor.skipBlanks();
    if (!cursor.atEnd())
        cursor.fail("unexpected text after DirectShowSource(...)");
    if (arguments.fps && arguments.convertFps.value_or(false))
        source.constantRate = *arguments.fps;
    return source;
}

} // namespace encoder
