// The progress window's reading of whatever the encoder prints: never an
// exception (one would end the batch), never undefined behaviour.

#include "FuzzEntry.h"

#include "Code/core/ProgressText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes = fuzz::textOf(data, size);
    const QString chunk = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    try {
        for (const bool audioOnly : {false, true}) {
            const std::optional<qint64> seconds = ReadProgressSeconds(chunk, audioOnly);
            fuzz::check(!seconds || !chunk.isEmpty(), "an empty chunk holds no time");
        }
        IsAudioOnlyCodec(chunk);
    } catch (...) {
        fuzz::check(false, "reading progress text never throws");
    }
    return 0;
}
