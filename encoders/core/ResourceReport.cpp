#include "ResourceReport.h"

#include "OptionValues.h"

#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <unistd.h>

namespace encoder {

void reportOwnResources()
{
    const char *named = std::getenv("MOVAREL_ENCODER_RUSAGE_FD");
    if (!named)
        return;
    const auto descriptor = readWholeNumber(named, 3, 1 << 20);
    rusage usage{};
    if (!descriptor || ::getrusage(RUSAGE_SELF, &usage) != 0)
        return;
    char line[96];
    const int length = std::snprintf(line, sizeof line, "%lld %lld %ld\n",
                                     static_cast<long long>(usage.ru_utime.tv_sec) * 1000000 + usage.ru_utime.tv_usec,
                                     static_cast<long long>(usage.ru_stime.tv_sec) * 1000000 + usage.ru_stime.tv_usec,
                                     usage.ru_maxrss);
    if (length > 0) [[maybe_unused]]
        const ssize_t written = ::write(*descriptor, line, static_cast<std::size_t>(length));
}

} // namespace encoder
