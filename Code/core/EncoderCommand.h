#pragma once

#include "Code/core/EncoderOptions.h"
#include "Code/core/TrimSpan.h"
#include "platform/FileClaims.h"

#include <QString>
#include <QStringList>

#include <optional>

// One row's encoder run, taken when the row starts: what to convert, how, and
// where the result goes. Nothing of it is read from a window afterwards.
struct TConvertParameterStruct {
    QString SourceFile;  // the File Name cell
    QString EncoderPath; // vidcoda, or rmcoda for RealMedia sources
    QString InputFile;   // the source, or the script rmcoda reads
    TEncoderOptions Options;
    std::optional<TTrimSpan> Trim; // nothing when no row holds the file
    QString OutputFolder;          // with a trailing separator
    QString OutputBaseName;
    QString OutputExtension;
    QString OutputPath; // a free name in the output folder
    // The empty file the row created at OutputPath to hold the name; nothing
    // when the folder took no file.
    std::optional<platform::FileIdentity> OutputClaim;
    bool ScriptWritten = true;

    // Audio-only output types leave every video option out.
    bool AudioOnly() const;
};

// The encoder's arguments, each path one argument as it stands.
QStringList EncoderArguments(const TConvertParameterStruct &parameters);
// The same command as one text, for the log and the user: the encoder's path
// unquoted, the input and output paths quoted, the option fragments joined as
// they are.
QString EncoderCommandText(const TConvertParameterStruct &parameters);

// RealMedia sources go through rmcoda and the script; the extension's letter
// case counts.
bool IsRealMediaSource(const QString &sourceFile);

// The one-line script that hands `sourceFile` to rmcoda, line break included.
// A path holding a double quote is written in the triple-quoted form; a path
// that cannot be written at all (it holds three quotes in a row) gives an empty text.
QByteArray DirectShowScript(const QString &sourceFile);

// Encoder program names as the file system shows them.
QString VidcodaName();
QString RmcodaName();
