#pragma once

#include <QString>

// The text fields that describe one row's encoder run.
struct TConvertParameterStruct {
    QString EncoderPath;
    QString InputFile;
    QString CodecParam;
    QString VideoBitrateParam;
    QString VideoSizeParam;
    QString FrameRateParam;
    QString AspectParam;
    QString AudioBitrateParam;
    QString VolumeParam;
    QString AudioChannelsParam;
    QString AudioSampleParam;
    QString FormatParam;
    QString TrimParam;
    QString OutputFolder;
    QString OutputBaseName;
    QString OutputExtension;
};

// The encoder command line: the encoder's path unquoted, the input and output
// paths quoted, the option fragments joined as they are. An audio-only codec
// leaves every video option out.
QString JoinEncoderCommand(const TConvertParameterStruct &parameters, const QString &outputPath);

// RealMedia sources go through rmcoda and the script; the extension's letter
// case counts.
bool IsRealMediaSource(const QString &sourceFile);

// The one-line script that hands `sourceFile` to rmcoda, line break included.
// A path holding a double quote is written in the triple-quoted form; a path
// that cannot be written at all (it holds three quotes in a row) gives an empty text.
QByteArray DirectShowScript(const QString &sourceFile);

// Encoder program names as the process list shows them.
QString VidcodaName();
QString RmcodaName();
