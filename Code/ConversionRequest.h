#pragma once

#include "Code/core/EncoderCommand.h"

#include <QList>
#include <QString>

#include <optional>

class TSourceGrid;

// What the conversion reads of one row of the source list.
struct TConversionRow {
    bool Checked = false;
    QString FileName;
    QString StartTime;
    QString EndTime;
};

// The rows of the list as they stand; reading them changes nothing.
QList<TConversionRow> SourceRowsOf(const TSourceGrid *list);

// What a batch converts with, read from the windows when Convert is pressed.
struct TConversionRequest {
    // The output type and the option selectors' indices.
    TEncoderOptions Options;
    // The stored value of the custom profile chosen in the options window,
    // empty when none is: every row is converted with it, even after the
    // quality selector moved on.
    QString CustomProfileValue;
    // The output folder box's text.
    QString OutputFolderText;
};

// The last row holding the file (letter case ignored); nothing when no row
// holds it. A time cell that is not three whole numbers raises EConvertError,
// or with `tolerant` keeps the previous row's value.
std::optional<TTrimSpan> TrimSpanOf(const QList<TConversionRow> &rows, const QString &file, bool tolerant);

// The output folder with a trailing separator, created (and logged).
QString PrepareOutputFolder(const QString &outputFolderText);

// Takes the parameters of the row holding `sourceFile`: its trim, the options
// (the custom profile laid over them), a free output name, the encoder, and
// writes the script rmcoda reads. Throws EConvertError when the custom profile
// holds a piece that is not a number.
TConvertParameterStruct BuildEncoderCommand(const QList<TConversionRow> &rows, const TConversionRequest &request,
                                            const QString &sourceFile);
