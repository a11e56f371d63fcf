#include "StatusOutput.h"

#include <cerrno>
#include <unistd.h>

namespace encoder {

void writeStatus(std::string_view text)
{
    while (!text.empty()) {
        const ssize_t written = ::write(STDOUT_FILENO, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

} // namespace encoder

namespace encoder {

void StatusPrinter::print(const ProgressFigures &figures)
{
    writeStatus(statusLine(figures, m_withVideo));
    m_printed = Clock::now();
}

void StatusPrinter::printIfQuiet(const ProgressFigures &figures)
{
    if (Clock::now() - m_printed >= period)
        print(figures);
}

} // namespace encoder
