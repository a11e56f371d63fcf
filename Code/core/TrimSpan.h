#pragma once

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
};

// The length as decimal text; empty when no row held the file.
QString TrimLengthText(const std::optional<TTrimSpan> &span);
// " -ss <start> -t <length>", or empty when either is missing.
QString TrimCommandOptions(const std::optional<TTrimSpan> &span);
