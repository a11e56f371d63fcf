#include "CopyProtection.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace encoder {

namespace {

// The sample entries of protected MP4 and QuickTime streams: a music and
// video store's own (drms, drmi, drac) and common encryption's (enc*).
constexpr std::array protectedEntries{std::string_view("drms"), std::string_view("drmi"), std::string_view("drac"),
                                      std::string_view("encv"), std::string_view("enca"), std::string_view("enct"),
                                      std::string_view("encs")};

} // namespace

bool isCopyProtected(const InputListing &listing)
{
    return std::any_of(listing.streams().begin(), listing.streams().end(), [](const ListedStream &stream) {
        return std::find(protectedEntries.begin(), protectedEntries.end(), stream.tag) != protectedEntries.end();
    });
}

} // namespace encoder
