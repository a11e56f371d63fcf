#pragma once

#include "Code/core/EncoderCommand.h"
#include "Code/core/SourceRow.h"

#include <QList>
#include <QString>

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

// The parameters of the row holding `sourceFile`, from values alone: its trim,
// the options (the custom profile laid over them), the output folder, name
// and extension, the encoder and the source. Touches no file: the output path
// is left to the row's preparation. Throws EConvertError when the custom
// profile holds a piece that is not a number.
TConvertParameterStruct BuildEncoderCommand(const QList<TConversionRow> &rows, const TConversionRequest &request,
                                            const QString &sourceFile);

// The output folder text as a folder, resolved in the program folder when
// relative, with a trailing separator.
QString OutputFolderOf(const QString &outputFolderText);
