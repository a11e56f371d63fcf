#include "Code/UnitCustomProc.h"

#include "Code/EncoderCommand.h"
#include "Code/Errors.h"
#include "Code/Func.h"
#include "Code/Globals.h"
#include "Code/ProgramFolder.h"
#include "Code/TextFormats.h"
#include "Code/Unit_CommonLib.h"
#include "Code/Unit_Convert.h"
#include "Code/Unit_Option.h"
#include "ui/SourceGrid.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QSaveFile>

namespace {

bool sameFile(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The script rmcoda reads, beside the program.
QString scriptFile()
{
    return CommonLib->ProgramFolder + QStringLiteral("VideoFile.avs");
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

} // namespace

QString TCustomProc::GetTrimStart(const QString &sourceFile)
{
    const TSourceGrid *list = FrmMainForm->dxTreeSourceFileInfo;
    QString start;
    for (int row = 0; row < list->RowCount(); ++row) {
        if (!sameFile(list->Cell(row, colFileName), sourceFile))
            continue;
        start = list->Cell(row, colStartTime);
        ApplyCustomProfile();
    }
    return start;
}

QString TCustomProc::GetTrimDuration(const QString &sourceFile)
{
    // The list's own cells are always well formed; anything else keeps the value.
    const std::optional<qint64> span = TrimSpanOf(sourceFile, true);
    return span ? QString::number(*span) : QString();
}

QString TCustomProc::PrepareOutputFolder()
{
    QString folder = FrmMainForm->edtOutputFolder->text();
    if (!folder.endsWith(PathSeparator()))
        folder += PathSeparator();
    if (QDir().mkpath(folder))
        AppFunc->WriteLog(QStringLiteral("Output directory ") + folder);
    else
        AppFunc->WriteLog(QStringLiteral("Output directory error. ->") + folder);
    return folder;
}

QString TCustomProc::BuildEncoderCommand(const QString &sourceFile)
{
    TConvertParameterStruct &p = CommonLib->ConvertParameter;
    const TfrmOption *options = frmOption;
    const QComboBox *outputType = FrmMainForm->cbbOutputFiletype;

    TrimStart = GetTrimStart(sourceFile);
    TrimDuration = GetTrimDuration(sourceFile);
    p.TrimParam = !TrimStart.isEmpty() && !TrimDuration.isEmpty()
                      ? QStringLiteral(" -ss ") + TrimStart + QStringLiteral(" -t ") + TrimDuration
                      : QString();
    p.InputFile = sourceFile;

    const auto at = [](const QComboBox *selector) { return selector->currentIndex(); };
    p.CodecParam = CommonLib->GetCodecParam(outputType, at(outputType));
    p.VideoBitrateParam = CommonLib->GetVideoBitrateParam(options->cbbVideoBitrate, at(options->cbbVideoBitrate));
    p.VideoSizeParam = CommonLib->GetVideoSizeParam(options->cbbVideoSize, at(options->cbbVideoSize));
    p.FrameRateParam = CommonLib->GetFrameRateParam(options->cbbFramerate, at(options->cbbFramerate));
    p.AspectParam = CommonLib->GetAspectParam(options->cbbAspectratio, at(options->cbbAspectratio));
    p.AudioBitrateParam = CommonLib->GetAudioBitrateParam(options->cbbAudioBitrate, at(options->cbbAudioBitrate));
    p.VolumeParam = CommonLib->GetVolumeParam(options->cbbAudioVolumeGain, at(options->cbbAudioVolumeGain));
    p.AudioChannelsParam = CommonLib->GetAudioChannelsParam(options->cbbAudioChannels, at(options->cbbAudioChannels));
    p.AudioSampleParam = CommonLib->GetAudioSampleParam(options->cbbAudioSample, at(options->cbbAudioSample));
    p.FormatParam = CommonLib->GetFormatParam(outputType, at(outputType));

    p.OutputFolder = PrepareOutputFolder();
    p.OutputBaseName = TFileFunc::GetFileBaseName(sourceFile);
    p.OutputExtension = CommonLib->GetOutputExtension(outputType, at(outputType));

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

    OutputPath = FileFunc->MakeUniqueFileName(p.OutputFolder + p.OutputBaseName + p.OutputExtension);
    return JoinEncoderCommand(p, OutputPath);
}
