#include "Code/UnitCustomProc.h"

#include "Code/Func.h"
#include "Code/Globals.h"
#include "Code/OutputCheck.h"
#include "Code/Unit_CommonLib.h"
#include "Code/core/EncoderCommand.h"
#include "Code/core/EncoderFailure.h"
#include "Code/core/Errors.h"
#include "Code/core/ProgressText.h"
#include "Code/core/Waiting.h"
#include "platform/Platform.h"
#include "ui/SourceGrid.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QScopeGuard>
#include <QScopedValueRollback>

namespace {

bool isChecked(const TSourceGrid *list, int row)
{
    return list->Cell(row, colCheck) == QLatin1String("True");
}

bool encoderRunning()
{
    return SysFunc->GetProcessIdByName(VidcodaName()) != 0 || SysFunc->GetProcessIdByName(RmcodaName()) != 0;
}

// A row counts as converted only when its encoder ran, ended well and left a
// file with something in it; otherwise the reason why not.
QString failureReason(const QString &outputPath, const QString &encoderOutput, bool started, int exitCode)
{
    const QFileInfo output(outputPath);
    QString reason;
    if (!started)
        reason = QStringLiteral("The encoder could not be started.");
    else if (exitCode != 0)
        reason = FailureReasonFrom(encoderOutput);
    else if (!output.exists() || output.size() == 0)
        reason = QStringLiteral("No output file was written.");
    else
        return QString();
    return reason.isEmpty() ? QStringLiteral("The encoder ended with code %1.").arg(exitCode) : reason;
}

} // namespace

void TCustomProc::StartBatchConversion(TSourceGrid *list, const TConversionRequest &request)
{
    // Stop gives the main window back while the batch winds down; a second
    // Convert then must not start a batch inside this one.
    if (Batch.IsRunning())
        return;
    Batch.SetRunning(true);
    int checked = 0;
    for (int row = 0; row < list->RowCount(); ++row)
        checked += isChecked(list, row) ? 1 : 0;
    Batch.Begin(checked);
    const auto ended = qScopeGuard([this] {
        Batch.SetRunning(false);
        Batch.Finish();
    });

    if (list->RowCount() == 0) {
        CommonLib->ShowNotice(QStringLiteral("Please add media files you want to convert into the list."), nkWarning);
        return;
    }
    const auto stayAwake = platform::current().preventSleep(QStringLiteral("Converting videos"));

    for (; !Batch.LoopEnded() && Batch.CurrentRow < list->RowCount(); ++Batch.CurrentRow) {
        if (!isChecked(list, Batch.CurrentRow))
            continue;
        ConvertRow(list, request, list->Cell(Batch.CurrentRow, colFileName));
        ++Batch.ConvertedCount;
    }

    if (!Batch.StopRequested) {
        if (request.Settings.ShowOutputDirectory)
            CommonLib->ShowFolderInExplorer(CommonLib->ConvertParameter.OutputFolder);
        if (request.Settings.Shutdown) {
            CommonLib->ShutdownComputer();
            platform::current().endProcess(0);
            Batch.StopRequested = false;
            return;
        }
        const QString report = Batch.Report();
        if (!report.isEmpty()) {
            // The notice stands alone, over a main window that works again.
            Batch.Finish();
            CommonLib->ShowNotice(report, nkWarning);
        }
    }
    Batch.StopRequested = false;
}

void TCustomProc::ConvertRow(const TSourceGrid *list, const TConversionRequest &request, const QString &file)
{
    Batch.LastEncoderOutput.clear();
    try {
        Batch.CommandLine = BuildEncoderCommand(list, request, file);
    } catch (const EMovarelError &error) {
        Batch.RecordFailure(file, error.text());
        return;
    }
    AppFunc->WriteLog(QStringLiteral("parameter: ") + Batch.CommandLine);

    Batch.RefreshCount = 0;
    Q_EMIT Batch.RowStarting();
    WaitServicingEvents(Batch.PauseBeforeStartMs);
    if (Batch.LoopEnded())
        return; // stopped before this row's encoder started
    if (IsRealMediaSource(file) && !ScriptWritten) {
        Batch.RecordFailure(file, QStringLiteral("The script for RealMedia sources could not be written."));
        return;
    }
    RunEncoder(file);
}

void TCustomProc::RunEncoder(const QString &file)
{
    Batch.StartRunner(CommonLib->ConvertParameter.EncoderPath, Batch.CommandLine);
    WaitServicingEvents(Batch.PauseAfterStartMs);
    while (encoderRunning()) {
        // Stopping returns only once the encoders are gone or it gave up on
        // one; then nothing is left to wait for.
        if (Batch.LoopEnded()) {
            Batch.AbandonRunner();
            return;
        }
        WaitServicingEvents(100);
    }

    int exitCode = -1;
    const bool started = Batch.FinishRunner(exitCode);
    QCoreApplication::processEvents(); // output still on its way

    // An encoder that finished on its own while Stop was being confirmed
    // left a complete file: only one that was cut off leaves half a file
    // (the name was free when the row began).
    const bool finishedWell = started && exitCode == 0;
    if (Batch.LoopEnded() && !finishedWell) {
        if (!OutputPath.isEmpty())
            QFile::remove(OutputPath);
        return;
    }
    const QString reason = failureReason(OutputPath, Batch.LastEncoderOutput, started, exitCode);
    if (!reason.isEmpty()) {
        Batch.RecordFailure(file, reason);
        return;
    }
    CheckOutput(file);
}

void TCustomProc::CheckOutput(const QString &file)
{
    const bool audioOnly = IsAudioOnlyCodec(CommonLib->ConvertParameter.CodecParam);
    const TOutputVerdict verdict = CheckOutputFile(OutputPath, file, audioOnly, CurrentTrim);
    if (verdict.Verdict == TOutputVerdict::Failed) {
        // An output that does not read as what was asked is not kept.
        QFile::remove(OutputPath);
        Batch.RecordFailure(file, verdict.Reason);
    } else if (verdict.Verdict == TOutputVerdict::Warning) {
        Batch.RecordWarning(file, verdict.Reason);
    }
}
