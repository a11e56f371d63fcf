// The time, size and number texts: readers take any text without undefined
// behaviour, failing only with a conversion error, and what the formatters
// write reads back.

#include "FuzzEntry.h"

#include "Code/core/Errors.h"
#include "Code/core/TextFormats.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr qint64 longestTime = 1'000'000'000'000'000;

bool withinTimeRange(qint64 seconds)
{
    return seconds >= -longestTime && seconds <= longestTime;
}

void splitJoinsBack(const QString &text)
{
    const QStringList parts = SplitByChar(text, QLatin1Char(':'));
    const QString withoutLastColon = text.endsWith(QLatin1Char(':')) ? text.chopped(1) : text;
    fuzz::check(parts.join(QLatin1Char(':')) == withoutLastColon, "the parts join back to the text");
}

void readNumbers(const QString &text)
{
    try {
        fuzz::check(!std::isnan(ParseNumber(text)), "ParseNumber gives a number");
    } catch (const EConvertError &) {
    }
    try {
        StrToInt(text);
    } catch (const EConvertError &) {
    }
}

void readTimes(const QString &text)
{
    qint64 seconds = 0;
    try {
        fuzz::check(withinTimeRange(ReadTimeFixed(text)), "fixed-position times stay in range");
    } catch (const EConvertError &) {
    }
    try {
        if (ReadTimeSplitStrict(text, seconds))
            fuzz::check(withinTimeRange(seconds), "strict times stay in range");
    } catch (const EConvertError &) {
    }
    try {
        if (ReadTimeSplitLenient(text, seconds))
            fuzz::check(withinTimeRange(seconds), "lenient times stay in range");
    } catch (const EConvertError &) {
    }
}

// The first eight bytes as a number, for the formatters.
qint64 numberOf(const std::uint8_t *data, std::size_t size)
{
    quint64 bits = 0;
    std::memcpy(&bits, data, size < sizeof bits ? size : sizeof bits);
    return static_cast<qint64>(bits);
}

void formatsReadBack(qint64 value)
{
    const QString duration = FormatDuration(value);
    qint64 seconds = -1;
    fuzz::check(ReadTimeSplitStrict(duration, seconds) && seconds == std::clamp(value, qint64(0), longestTime),
                "a duration text reads back, clamped");
    const QString size = FormatFileSize(value);
    fuzz::check(size.endsWith(QLatin1String(" B")) || size.endsWith(QLatin1String(" KB")) ||
                    size.endsWith(QLatin1String(" MB")) || size.endsWith(QLatin1String(" GB")),
                "a size text ends in its unit");
    PadNumber(value, value % 7 - 3, static_cast<int>(value % 32));
    FormatPosition(value, value / 60, value / 3600);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes = fuzz::textOf(data, size);
    const QString text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    splitJoinsBack(text);
    readNumbers(text);
    readTimes(text);
    formatsReadBack(numberOf(data, size));
    return 0;
}
