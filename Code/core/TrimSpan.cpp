#include "Code/core/TrimSpan.h"

#include "Code/core/Errors.h"
#include "Code/core/TextFormats.h"

qint64 TTrimSpan::LengthWithinMs(qint64 sourceMs) const
{
    const qint64 endMs = sourceMs > 0 ? qMin(EndSeconds * 1000, sourceMs) : EndSeconds * 1000;
    return endMs - StartSeconds * 1000;
}

TTrimCells ValidatedTrimCells(const QString &duration, const QString &startTime, const QString &endTime)
{
    const QString start = startTime.isEmpty() ? QStringLiteral("00:00:00") : startTime;
    const QString end = endTime.isEmpty() ? duration : endTime;
    // Read once: the later steps use these even where a cell changes.
    const qint64 d = ReadTimeFixed(duration);
    const qint64 s = ReadTimeFixed(start);
    const qint64 e = ReadTimeFixed(end);
    TTrimCells cells{start, end, FormatDuration(qMin(e, d) - s)};
    if (s >= d)
        cells.StartTime = duration.left(8);
    if (s >= e)
        cells.EndTime = start.left(8);
    if (e >= d)
        cells.EndTime = duration;
    return cells;
}

QString TrimLengthText(const std::optional<TTrimSpan> &span)
{
    return span ? QString::number(span->Length()) : QString();
}

QString TrimCommandOptions(const std::optional<TTrimSpan> &span)
{
    if (!span || span->StartText.isEmpty())
        return QString();
    return QStringLiteral(" -ss ") + span->StartText + QStringLiteral(" -t ") + TrimLengthText(span);
}

std::optional<TTrimSpan> TrimSpanOf(const QList<TConversionRow> &rows, const QString &file, bool tolerant)
{
    const auto read = [tolerant](const QString &text, qint64 &seconds) {
        try {
            ReadTimeSplitStrict(text, seconds);
        } catch (const EConvertError &) {
            if (!tolerant)
                throw;
        }
    };
    // Rows whose paths differ only in letter case name one file: the one
    // furthest down the list gives the times of every one of them.
    std::optional<TTrimSpan> span;
    for (const TConversionRow &row : rows) {
        if (row.FileName.compare(file, Qt::CaseInsensitive) != 0)
            continue;
        if (!span)
            span.emplace();
        span->StartText = row.StartTime;
        read(row.StartTime, span->StartSeconds);
        read(row.EndTime, span->EndSeconds);
    }
    return span;
}
