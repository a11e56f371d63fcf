#include "TextLines.h"

namespace encoder {

std::vector<std::string_view> splitAt(std::string_view text, char separator)
{
    std::vector<std::string_view> pieces;
    std::size_t from = 0;
    for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, from)) {
        pieces.push_back(text.substr(from, at - from));
        from = at + 1;
    }
    pieces.push_back(text.substr(from));
    return pieces;
}

} // namespace encoder
