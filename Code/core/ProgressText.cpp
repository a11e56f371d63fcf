#include "Code/core/ProgressText.h"

#include "Code/core/Errors.h"
#include "Code/core/TextFormats.h"

#include <QStringList>

#include <cmath>
#include <limits>

namespace {

// Field that carries the time, and how many fields a status line has at least.
struct TimeField {
    qsizetype index;
    qsizetype minimumFields;
};

TimeField timeFieldOf(bool audioOnly)
{
    return audioOnly ? TimeField{2, 4} : TimeField{4, 5};
}

const QString unknownTimeMarker = QStringLiteral("10000000000");

// A number beyond what qint64 holds (or not finite) would make the conversion
// undefined, so it counts as no number.
std::optional<qint64> wholePart(double value)
{
    constexpr double limit = 9.2e18;
    if (!std::isfinite(value) || value >= limit || value <= -limit)
        return std::nullopt;
    return static_cast<qint64>(std::trunc(value));
}

} // namespace

std::optional<qint64> ReadProgressSeconds(const QString &chunk, bool audioOnly)
{
    const TimeField field = timeFieldOf(audioOnly);
    const QStringList fields = SplitByChar(chunk, QLatin1Char('='));
    if (fields.size() < field.minimumFields)
        return std::nullopt;
    const QStringList parts = SplitByChar(fields.at(field.index), QLatin1Char('.'));
    if (parts.isEmpty() || parts.first() == unknownTimeMarker)
        return std::nullopt;
    try {
        return wholePart(ParseNumber(parts.first()));
    } catch (const EConvertError &) {
        return std::nullopt;
    }
}

bool IsAudioOnlyCodec(const QString &codecParam)
{
    return codecParam.trimmed().left(7) == QLatin1String("-acodec");
}

int CurrentBarMaximum(qint64 cutSeconds)
{
    return cutSeconds > 0 ? static_cast<int>(qMin<qint64>(cutSeconds, std::numeric_limits<int>::max())) : 0;
}

int BatchBarPosition(int convertedCount, int currentPosition, int currentMaximum)
{
    const qint64 share = qint64(currentPosition) * 100 / (qint64(currentMaximum) + 1);
    return static_cast<int>(qMin<qint64>(share + qint64(convertedCount) * 100, std::numeric_limits<int>::max()));
}
