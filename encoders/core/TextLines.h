#pragma once
// Cutting text: at a separator, and a child's output into bounded lines.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace encoder {

// The pieces between separators, empty ones included: "a::b" gives "a", "",
// "b"; an empty text gives one empty piece.
std::vector<std::string_view> splitAt(std::string_view text, char separator);

// Cuts what a child process writes into lines, whatever sizes its writes
// come in. A line keeps its first `longest` bytes; the rest is dropped and
// the line marked as cut short, so a child printing without end costs no
// more than one line's memory.
class LineSplitter {
public:
    LineSplitter(std::size_t longest, std::string_view endings) : m_longest(longest), m_endings(endings) {}

    // Calls take(line, cutShort) for every line the bytes complete.
    template <typename Take> void feed(std::string_view bytes, Take &&take)
    {
        for (const char c : bytes) {
            if (m_endings.find(c) != std::string_view::npos) {
                take(std::string_view(m_line), m_cutShort);
                m_line.clear();
                m_cutShort = false;
            } else if (m_line.size() < m_longest) {
                m_line.push_back(c);
            } else {
                m_cutShort = true;
            }
        }
    }

private:
    std::size_t m_longest;
    std::string_view m_endings;
    std::string m_line;
    bool m_cutShort = false;
};

} // namespace encoder
