#include "Code/UnitCustomProc.h"

#include "Code/Func.h"
#include "Code/Globals.h"
#include "Code/Unit_CommonLib.h"
#include "Code/core/DataFolders.h"
#include "Code/core/EncoderCommand.h"
#include "Code/core/ProgramFolder.h"
#include "ui/SourceGrid.h"

#include <QDir>
#include <QSaveFile>

namespace {

// The script rmcoda reads, beside the program.
QString scriptFile()
{
    return StateFolder() + QStringLiteral("VideoFile.avs");
}

// Writes the script; false when it cannot be written.
bool writeScript(const QString &sourceFile)
{
    const QByteArray script = DirectShowScript(sourceFile);
    if (script.isEmpty())
        return false;
    QSaveFile file(scriptFile());
    return file.open(QIODevice::WriteOnly) && file.write(script) == script.size() && file.commit();
}

void setOptionFragments(TConvertParameterStruct &p, const TEncoderOptions &o)
{
    const TCommonLib &lib = *CommonLib;
    p.CodecParam = lib.GetCodecParam(o.OutputType);
    p.VideoBitrateParam = lib.GetVideoBitrateParam(o.VideoBitrate);
    p.VideoSizeParam = lib.GetVideoSizeParam(o.VideoSize);
    p.FrameRateParam = lib.GetFrameRateParam(o.FrameRate);
    p.AspectParam = lib.GetAspectParam(o.Aspect);
    p.AudioBitrateParam = lib.GetAudioBitrateParam(o.AudioBitrate);
    p.VolumeParam = lib.GetVolumeParam(o.Volume);
    p.AudioChannelsParam = lib.GetAudioChannelsParam(o.AudioChannels);
    p.AudioSampleParam = lib.GetAudioSampleParam(o.AudioSample);
    p.FormatParam = lib.GetFormatParam(o.OutputType);
}

} // namespace

QString TCustomProc::GetTrimStart(const TSourceGrid *list, const QString &sourceFile, const TOptionSelectors &options)
{
    QString start;
    for (int row = 0; row < list->RowCount(); ++row) {
        if (list->Cell(row, colFileName).compare(sourceFile, Qt::CaseInsensitive) != 0)
            continue;
        start = list->Cell(row, colStartTime);
        // A custom profile chosen in the options window is what every
        // converted row is encoded with, even after the quality selector
        // moved on: reading the trim start is where it is put back.
        ApplyCustomProfile(options);
    }
    return start;
}

QString TCustomProc::GetTrimDuration(const TSourceGrid *list, const QString &sourceFile)
{
    // The list's own cells are always well formed; anything else keeps the value.
    return TrimLengthText(TrimSpanOf(list, sourceFile, true));
}

QString TCustomProc::PrepareOutputFolder(const QString &outputFolderText)
{
    QString folder = ResolveInProgramFolder(outputFolderText);
    if (!folder.endsWith(PathSeparator()))
        folder += PathSeparator();
    if (QDir().mkpath(folder))
        AppFunc->WriteLog(QStringLiteral("Output directory ") + folder);
    else
        AppFunc->WriteLog(QStringLiteral("Output directory error. ->") + folder);
    return folder;
}

QString TCustomProc::BuildEncoderCommand(const TSourceGrid *list, const TConversionRequest &request,
                                         const QString &sourceFile)
{
    TConvertParameterStruct &p = CommonLib->ConvertParameter;

    const QString start = GetTrimStart(list, sourceFile, request.Options);
    CurrentTrim = TrimSpanOf(list, sourceFile, true);
    if (CurrentTrim)
        CurrentTrim->StartText = start;
    p.TrimParam = TrimCommandOptions(CurrentTrim);
    p.InputFile = sourceFile;

    setOptionFragments(p, ReadEncoderOptions(request.OutputType, request.Options));

    p.OutputFolder = PrepareOutputFolder(request.Settings.OutputFolder);
    p.OutputBaseName = TFileFunc::GetFileBaseName(sourceFile);
    p.OutputExtension = CommonLib->GetOutputExtension(request.OutputType);

    // Rewritten for every row; only rmcoda reads it.
    ScriptWritten = writeScript(sourceFile);
    if (!ScriptWritten)
        AppFunc->WriteLog(QStringLiteral("Script error. ->") + scriptFile());

    if (IsRealMediaSource(sourceFile)) {
        p.EncoderPath = CommonLib->ProgramFolder + RmcodaName();
        p.InputFile = scriptFile();
    } else {
        p.EncoderPath = CommonLib->ProgramFolder + VidcodaName();
    }

    OutputPath = TFileFunc::MakeUniqueFileName(p.OutputFolder + p.OutputBaseName + p.OutputExtension);
    return JoinEncoderCommand(p, OutputPath);
}
