#include "Code/core/TextFormats.h"

#include "Code/core/Errors.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

QStringList SplitByChar(const QString &text, QChar separator)
{
    QStringList parts;
    qsizetype start = 0;
    for (qsizetype at = text.indexOf(separator); at >= 0; at = text.indexOf(separator, start)) {
        parts.append(text.mid(start, at - start));
        start = at + 1;
    }
    if (start < text.size())
        parts.append(text.mid(start));
    return parts;
}

namespace {

bool isBlankOrControl(QChar c)
{
    return c.unicode() <= 0x20;
}

QString trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlankOrControl(text.at(begin)))
        ++begin;
    while (end > begin && isBlankOrControl(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

QString retainNumberCharacters(const QString &text)
{
    QString kept;
    bool seenPoint = false;
    bool seenPlus = false;
    bool seenMinus = false;
    for (QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            kept.append(c);
        } else if (c == QLatin1Char('.') && !seenPoint) {
            seenPoint = true;
            kept.append(c);
        } else if (c == QLatin1Char('+') && !seenPlus) {
            seenPlus = true;
            kept.append(c);
        } else if (c == QLatin1Char('-') && !seenMinus) {
            seenMinus = true;
            kept.append(c);
        }
    }
    return kept;
}

double strictDecimal(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)$"));
    if (!pattern.match(text).hasMatch())
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return text.toDouble();
}

} // namespace

double ParseNumber(const QString &text)
{
    const QString kept = retainNumberCharacters(trimBlanks(text));
    if (kept.isEmpty() || kept == QLatin1String("+") || kept == QLatin1String("-"))
        return 0.0;
    if (kept.size() == 1)
        return strictDecimal(kept);
    QString rest = kept.mid(1);
    rest.remove(QLatin1Char('+'));
    rest.remove(QLatin1Char('-'));
    return strictDecimal(kept.left(1) + rest);
}

QString FormatFileSize(qint64 bytes)
{
    constexpr qint64 oneGigabyte = qint64(1) << 30;
    if (bytes < 0)
        bytes = 0;
    double value = static_cast<double>(bytes);
    const char *unit = "B";
    if (bytes < oneGigabyte) {
        const char *larger[] = {"KB", "MB", "GB"};
        for (const char *next : larger) {
            if (value < 1024.0)
                break;
            value /= 1024.0;
            unit = next;
        }
    } else {
        value = value / 1024.0 / 1024.0 / 1024.0;
        unit = "GB";
    }
    value = std::trunc(value * 100.0) / 100.0;
    char number[64];
    std::snprintf(number, sizeof number, "%.15g", value);
    return QString::fromLatin1(number) + QLatin1Char(' ') + QLatin1String(unit);
}

QString PadNumber(qint64 value, qint64 divisor, int width)
{
    qint64 quotient = 0;
    if (divisor != 0 && !(value == std::numeric_limits<qint64>::min() && divisor == -1))
        quotient = value / divisor;
    const QString digits = QString::number(quotient);
    if (digits.size() >= width)
        return digits;
    return QString(width - digits.size(), QLatin1Char('0')) + digits;
}

QString FormatDuration(qint64 seconds)
{
    // Whole hours, minutes and seconds; computed on seconds rather than
    // milliseconds so that huge values cannot overflow.
    if (seconds <= 0)
        return QStringLiteral("00:00:00");
    return PadNumber(seconds, 3600, 2) + QLatin1Char(':') + PadNumber(seconds % 3600, 60, 2) + QLatin1Char(':') +
           PadNumber(seconds % 60, 1, 2);
}

QString FormatPosition(qint64 hours, qint64 minutes, qint64 seconds)
{
    return QStringLiteral("%1:%2:%3").arg(PadNumber(hours, 1, 2), PadNumber(minutes, 1, 2), PadNumber(seconds, 1, 2));
}

qint64 StrToInt(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^[+-]?[0-9]+$"));
    bool ok = false;
    qint64 value = 0;
    if (pattern.match(text).hasMatch())
        value = text.toLongLong(&ok);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

namespace {
// Times read from text stay within this many seconds either way, so that
// callers can take milliseconds and differences without overflow.
constexpr qint64 longestTime = 1'000'000'000'000'000;

qint64 clampedTime(qint64 seconds)
{
    return std::clamp(seconds, -longestTime, longestTime);
}

// Clamping each part first keeps the sum far inside 64 bits.
qint64 toSeconds(qint64 hours, qint64 minutes, qint64 seconds)
{
    return clampedTime(clampedTime(hours) * 3600 + clampedTime(minutes) * 60 + clampedTime(seconds));
}

qint64 wholeTime(double value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<qint64>(std::trunc(std::clamp(value, double(-longestTime), double(longestTime))));
}
} // namespace

qint64 ReadTimeFixed(const QString &text)
{
    return toSeconds(StrToInt(text.mid(0, 2)), StrToInt(text.mid(3, 2)), StrToInt(text.mid(6, 2)));
}

bool ReadTimeSplitStrict(const QString &text, qint64 &seconds)
{
    const QStringList parts = SplitByChar(text, QLatin1Char(':'));
    if (parts.size() != 3)
        return false;
    seconds = toSeconds(StrToInt(parts[0]), StrToInt(parts[1]), StrToInt(parts[2]));
    return true;
}

bool ReadTimeSplitLenient(const QString &text, qint64 &seconds)
{
    const QStringList parts = SplitByChar(text, QLatin1Char(':'));
    if (parts.size() < 3)
        return false;
    auto part = [&](int i) { return wholeTime(ParseNumber(parts[i])); };
    seconds = toSeconds(part(0), part(1), part(2));
    return true;
}
