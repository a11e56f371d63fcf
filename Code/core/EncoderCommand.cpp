#include "Code/core/EncoderCommand.h"

#include "Code/core/Func.h"
#include "Code/core/ProgressText.h"
#include "Code/core/Unit_ConfigInfo.h"
#include "Code/core/WindowsCommandLine.h"
#include "platform/Platform.h"

namespace {

// The command is a row of pieces: option fragments, which carry their own
// leading blanks, and the two paths. The argument list and the logged text
// are both read off the same row, so they always agree.
struct TCommandPiece {
    enum Kind { Fragment, Path } Type;
    QString Text;
};

QList<TCommandPiece> commandPieces(const TConvertParameterStruct &p)
{
    QList<TCommandPiece> pieces{{TCommandPiece::Fragment, QStringLiteral(" -y -i ")},
                                {TCommandPiece::Path, p.InputFile},
                                {TCommandPiece::Fragment, CodecParamOf(p.Options.OutputType)}};
    const bool audioOnly = p.AudioOnly();
    for (const TEncoderOptionSpec &option : EncoderOptionTable()) {
        if (audioOnly && option.VideoOnly)
            continue;
        const QString entry = OptionEntry(option.Option, p.Options[option.Option]);
        pieces.append({TCommandPiece::Fragment, OptionFragment(option.Option, entry)});
    }
    pieces.append({TCommandPiece::Fragment, FormatParamOf(p.Options.OutputType)});
    pieces.append({TCommandPiece::Fragment, TrimCommandOptions(p.Trim)});
    pieces.append({TCommandPiece::Fragment, QStringLiteral(" ")});
    pieces.append({TCommandPiece::Path, p.OutputPath});
    return pieces;
}

} // namespace

bool TConvertParameterStruct::AudioOnly() const
{
    return IsAudioOnlyCodec(CodecParamOf(Options.OutputType));
}

QStringList EncoderArguments(const TConvertParameterStruct &parameters)
{
    QStringList arguments;
    for (const TCommandPiece &piece : commandPieces(parameters)) {
        if (piece.Type == TCommandPiece::Path)
            arguments.append(piece.Text);
        else
            arguments.append(piece.Text.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    }
    return arguments;
}

QString EncoderCommandText(const TConvertParameterStruct &parameters)
{
    QString text = parameters.EncoderPath;
    for (const TCommandPiece &piece : commandPieces(parameters))
        text += piece.Type == TCommandPiece::Path ? QuoteCommandArgument(piece.Text) : piece.Text;
    return text;
}

bool IsRealMediaSource(const QString &sourceFile)
{
    const QString extension = TFileFunc::GetFileExtension(sourceFile);
    return extension == QLatin1String(".rm") || extension == QLatin1String(".rmvb");
}

QByteArray DirectShowScript(const QString &sourceFile)
{
    const QByteArray path = sourceFile.toUtf8();
    QByteArray quoted;
    if (!path.contains('"'))
        quoted = '"' + path + '"';
    else if (!path.contains("\"\"\"") && !path.endsWith('"'))
        quoted = "\"\"\"" + path + "\"\"\"";
    else
        return QByteArray();
    return "DirectShowSource(" + quoted + ", fps=29.9700898503294, convertfps=true)\r\n";
}

QString VidcodaName()
{
    return QStringLiteral("vidcoda") + platform::executableSuffix();
}

QString RmcodaName()
{
    return QStringLiteral("rmcoda") + platform::executableSuffix();
}
