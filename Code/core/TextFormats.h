#pragma once

#include <QString>
#include <QStringList>

// Text forms of times and sizes, as the whole program shows and reads them.
// All of these are pure: they read only their arguments.

// Parts of `text` between occurrences of `separator`; inner and leading empty
// parts are kept, a trailing empty part is not, an empty text gives no parts.
QStringList SplitByChar(const QString &text, QChar separator);

// Reads a number leniently out of text that may carry other characters.
// Throws EConvertError when what remains is not a number ("." or "+.").
double ParseNumber(const QString &text);

// "1.09 KB": at most two truncated decimals and one of B, KB, MB, GB.
QString FormatFileSize(qint64 bytes);

// "hh:mm:ss" with at least two hour digits; negative seconds give "00:00:00".
QString FormatDuration(qint64 seconds);

// value / divisor (truncated), zero-padded on the left to `width` characters.
QString PadNumber(qint64 value, qint64 divisor, int width);

// The player's position text, "%2.2d:%2.2d:%2.2d".
QString FormatPosition(qint64 hours, qint64 minutes, qint64 seconds);

// Strict decimal integer: optional sign and digits only. Throws EConvertError.
qint64 StrToInt(const QString &text);

// Reading a time text back to seconds, in the three manners the program uses.
// Parts and totals beyond 10^15 seconds either way are clamped there.
// Fixed positions: characters 1-2, 4-5 and 7-8. Throws EConvertError.
qint64 ReadTimeFixed(const QString &text);
// Split at ":", taken only with exactly three parts; a non-integer part throws.
bool ReadTimeSplitStrict(const QString &text, qint64 &seconds);
// Split at ":", taken with at least three parts, each read by ParseNumber.
bool ReadTimeSplitLenient(const QString &text, qint64 &seconds);
