#pragma once

#include "Code/core/SourceRow.h"

#include <QList>
#include <QString>

#include <optional>

// The part of a source to convert, as a row of the list holds it: the Start
// Time text as it stands (the encoder reads it unchanged) and the cut length
// in whole seconds. The trim bar writes its times into the row, the row hands
// them to the command in this form.
struct TTrimSpan {
    QString StartText;
    qint64 StartSeconds = 0;
    qint64 EndSeconds = 0;

    // Not limited: an end before the start gives a negative length.
    qint64 Length() const { return EndSeconds - StartSeconds; }
    // What a source of `sourceMs` can give of the span: an end handle dragged
    // to the far right stands a little past the end (it counts up to 101 % of
    // the duration), and only what lies before the end can come out. An
    // unknown length (0) limits nothing.
    qint64 LengthWithinMs(qint64 sourceMs) const;
};

// The trim cells of a row once they are brought inside its duration.
struct TTrimCells {
    QString StartTime;
    QString EndTime;
    QString CutTime;
};
// An empty start is the beginning and an empty end the duration; a start at
// or past the duration moves to it, an end at or before the start moves to
// the start, an end at or past the duration moves to it. The cut is the end,
// limited to the duration, minus the start, all as they were read. Throws
// EConvertError when a text is not a time.
TTrimCells ValidatedTrimCells(const QString &duration, const QString &startTime, const QString &endTime);

// The length as decimal text; empty when no row held the file.
QString TrimLengthText(const std::optional<TTrimSpan> &span);
// " -ss <start> -t <length>", or empty when either is missing.
QString TrimCommandOptions(const std::optional<TTrimSpan> &span);

// The span of the last row holding the file (letter case ignored); nothing
// when no row holds it. A time cell that is not three whole numbers raises
// EConvertError, or with `tolerant` keeps the previous row's value.
std::optional<TTrimSpan> TrimSpanOf(const QList<TConversionRow> &rows, const QString &file, bool tolerant);
