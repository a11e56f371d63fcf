// rmcoda's script reader: any text is read or refused with a one-line
// reason, and every path Movarel writes into a script reads back unchanged.

#include "FrameRateCheck.h"

#include "Code/core/EncoderCommand.h"
#include "encoders/core/AvsScript.h"
#include "encoders/core/EncoderError.h"

namespace {

void readAnyText(std::string_view text)
{
    try {
        const encoder::ScriptSource source = encoder::parseDirectShowScript(text);
        fuzz::check(!source.path.empty(), "a script names a path");
        if (!source.constantRate.empty()) {
            fuzz::check(encoder::readFrameRate(source.constantRate).has_value(), "a script's rate in range");
            fuzz::checkRateFraction(source.constantRate);
        }
    } catch (const encoder::EncoderError &error) {
        fuzz::check(std::string_view(error.what()).find('\n') == std::string_view::npos, "a one-line reason");
    }
}

void writtenPathReadsBack(std::string_view text)
{
    const QString path = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QByteArray script = DirectShowScript(path);
    if (script.isEmpty() || path.isEmpty())
        return;
    try {
        const encoder::ScriptSource source = encoder::parseDirectShowScript(script.toStdString());
        fuzz::check(QByteArray::fromStdString(source.path) == path.toUtf8(), "the written path reads back");
        fuzz::check(!source.constantRate.empty(), "the written rate reads back");
    } catch (const encoder::EncoderError &error) {
        std::fprintf(stderr, "%s\n", error.what());
        fuzz::check(false, "a written script reads");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text = fuzz::textOf(data, size);
    readAnyText(text);
    writtenPathReadsBack(text);
    return 0;
}
