#include "Code/ConversionRequest.h"

#include "Code/Func.h"
#include "Code/Globals.h"
#include "Code/Unit_ConfigInfo.h"
#include "Code/core/DataFolders.h"
#include "Code/core/Errors.h"
#include "Code/core/ProgramFolder.h"
#include "Code/core/TextFormats.h"
#include "ui/SourceGrid.h"

#include <QDir>
#include <QSaveFile>

namespace {

// The script rmcoda reads; the log's folder keeps it.
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

TEncoderOptions optionsWithProfile(const TConversionRequest &request)
{
    TEncoderOptions options = request.Options;
    if (const std::optional<TProfileFields> fields = ReadProfileFields(request.CustomProfileValue))
        ApplyProfileFields(*fields, options);
    return options;
}

} // namespace

QList<TConversionRow> SourceRowsOf(const TSourceGrid *list)
{
    QList<TConversionRow> rows;
    for (int row = 0; row < list->RowCount(); ++row) {
        rows.append({.Checked = list->Cell(row, colCheck) == QLatin1String("True"),
                     .FileName = list->Cell(row, colFileName),
                     .StartTime = list->Cell(row, colStartTime),
                     .EndTime = list->Cell(row, colEndTime)});
    }
    return rows;
}

std::optional<TTrimSpan> TrimSpanOf(const QList<TConversionRow> &rows, const QString &file, bool tolerant)
{
    const auto read = [tolerant](const QString &text, qint64 &seconds) {
        try {
            ReadTimeSplitStrict(text, seconds);
        } catch (const EConvertError &) {
            if (!tolerant)
                throw;
        }
    };
    // Rows whose paths differ only in letter case name one file: the one
    // furthest down the list gives the times of every one of them.
    std::optional<TTrimSpan> span;
    for (const TConversionRow &row : rows) {
        if (row.FileName.compare(file, Qt::CaseInsensitive) != 0)
            continue;
        if (!span)
            span.emplace();
        span->StartText = row.StartTime;
        read(row.StartTime, span->StartSeconds);
        read(row.EndTime, span->EndSeconds);
    }
    return span;
}

QString PrepareOutputFolder(const QString &outputFolderText)
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

TConvertParameterStruct BuildEncoderCommand(const QList<TConversionRow> &rows, const TConversionRequest &request,
                                            const QString &sourceFile)
{
    TConvertParameterStruct p;
    p.SourceFile = sourceFile;
    p.Trim = TrimSpanOf(rows, sourceFile, true);
    p.InputFile = sourceFile;
    p.Options = optionsWithProfile(request);
    p.OutputFolder = PrepareOutputFolder(request.OutputFolderText);
    p.OutputBaseName = TFileFunc::GetFileBaseName(sourceFile);
    p.OutputExtension = OutputExtensionOf(p.Options.OutputType);

    // Rewritten for every row; only rmcoda reads it.
    p.ScriptWritten = writeScript(sourceFile);
    if (!p.ScriptWritten)
        AppFunc->WriteLog(QStringLiteral("Script error. ->") + scriptFile());

    if (IsRealMediaSource(sourceFile)) {
        p.EncoderPath = ProgramFolder() + RmcodaName();
        p.InputFile = scriptFile();
    } else {
        p.EncoderPath = ProgramFolder() + VidcodaName();
    }
    p.OutputPath = TFileFunc::MakeUniqueFileName(p.OutputFolder + p.OutputBaseName + p.OutputExtension);
    return p;
}
