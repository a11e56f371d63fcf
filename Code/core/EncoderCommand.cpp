#include "Code/core/EncoderCommand.h"

#include "Code/Func.h"
#include "Code/core/ProgressText.h"
#include "Code/core/WindowsCommandLine.h"
#include "platform/Platform.h"

QString JoinEncoderCommand(const TConvertParameterStruct &p, const QString &outputPath)
{
    QString command = p.EncoderPath + QStringLiteral(" -y -i ") + QuoteCommandArgument(p.InputFile) + p.CodecParam;
    if (IsAudioOnlyCodec(p.CodecParam)) {
        command += p.AudioBitrateParam + p.VolumeParam + p.AudioChannelsParam + p.AudioSampleParam + p.FormatParam +
                   p.TrimParam;
    } else {
        command += p.VideoBitrateParam + p.VideoSizeParam + p.FrameRateParam + p.AspectParam + p.AudioBitrateParam +
                   p.VolumeParam + p.AudioChannelsParam + p.AudioSampleParam + p.FormatParam + p.TrimParam;
    }
    return command + QLatin1Char(' ') + QuoteCommandArgument(outputPath);
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
