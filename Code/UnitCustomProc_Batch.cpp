#include "Code/UnitCustomProc.h"

#include "Code/AdvanceSystem.h"
#include "Code/EncoderCommand.h"
#include "Code/EncoderFailure.h"
#include "Code/Errors.h"
#include "Code/Func.h"
#include "Code/Globals.h"
#include "Code/Unit_CommonLib.h"
#include "Code/Unit_Convert.h"
#include "Code/Unit_Converting.h"
#include "Code/Waiting.h"
#include "platform/Platform.h"
#include "ui/SourceGrid.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QThread>

namespace {

// However a batch ends, the progress window goes and the main window comes back.
class BatchWindows {
public:
    ~BatchWindows()
    {
        frmConverting->hide();
        FrmMainForm->setEnabled(true);
    }
};

// The encoder's latest output, kept for the report of a failed row.
constexpr qsizetype keptOutput = 4096;

bool isChecked(const TSourceGrid *list, int row)
{
    return list->Cell(row, colCheck) == QLatin1String("True");
}

bool encoderRunning()
{
    return SysFunc->GetProcessIdByName(VidcodaName()) != 0 || SysFunc->GetProcessIdByName(RmcodaName()) != 0;
}

} // namespace

TCustomProc::~TCustomProc()
{
    delete CurrentRunner;
}

void TCustomProc::OnEncoderOutput(const QString &chunk)
{
    LastEncoderOutput = (LastEncoderOutput + chunk).right(keptOutput);
    frmConverting->statPanel0->setText(chunk);
    frmConverting->lblCurFileName->setText(CommonLib->ConvertParameter.InputFile);
    frmConverting->actRefreshProgress->trigger();
}

namespace {

void recordFailure(TCustomProc *proc, const QString &file, const QString &reason)
{
    proc->FailedRows.append({file, reason});
    AppFunc->WriteLog(QStringLiteral("Conversion failed: ") + file + QStringLiteral(" -> ") + reason);
    for (const QString &line : LastOutputLines(proc->LastEncoderOutput, 5))
        AppFunc->WriteLog(QStringLiteral("  encoder: ") + line);
}

// A row counts as converted only when its encoder ran, ended well and left a
// file with something in it.
void checkResult(TCustomProc *proc, const QString &file, bool started, int exitCode)
{
    const QFileInfo output(proc->OutputPath);
    QString reason;
    if (!started)
        reason = QStringLiteral("The encoder could not be started.");
    else if (exitCode != 0)
        reason = FailureReasonFrom(proc->LastEncoderOutput);
    else if (!output.exists() || output.size() == 0)
        reason = QStringLiteral("No output file was written.");
    else
        return;
    if (reason.isEmpty())
        reason = QStringLiteral("The encoder ended with code %1.").arg(exitCode);
    recordFailure(proc, file, reason);
}

void showFailures(const QList<QPair<QString, QString>> &failures)
{
    QStringList lines;
    for (const auto &[file, reason] : failures)
        lines.append(file + QStringLiteral("\n    ") + reason);
    CommonLib->ShowNotice(QStringLiteral("These files could not be converted:\n\n") + lines.join(QLatin1Char('\n')),
                          nkWarning);
}

} // namespace

void TCustomProc::AbandonRunner()
{
    AppFunc->WriteLog(QStringLiteral("The encoder could not be stopped; the batch ends without it."));
    TAdvanceSystem *runner = CurrentRunner;
    CurrentRunner = nullptr;
    QObject::connect(runner, &QThread::finished, runner, &QObject::deleteLater);
    if (runner->isFinished())
        runner->deleteLater();
}

void TCustomProc::StartBatchConversion(TSourceGrid *list)
{
    // Stop gives the main window back while the batch winds down; a second
    // Convert then must not start a batch inside this one.
    if (BatchRunning)
        return;
    const QScopedValueRollback<bool> running(BatchRunning, true);
    ConvertedCount = 0;
    CheckedCount = 0;
    for (int row = 0; row < list->RowCount(); ++row)
        CheckedCount += isChecked(list, row) ? 1 : 0;
    FailedRows.clear();
    const BatchWindows restoreWindows;

    if (list->RowCount() == 0) {
        CommonLib->ShowNotice(QStringLiteral("Please add media files you want to convert into the list."), nkWarning);
        return;
    }
    const auto stayAwake = platform::current().preventSleep(QStringLiteral("Converting videos"));

    CurrentRow = 0;
    while (CurrentRow <= list->RowCount() - 1) {
        if (!isChecked(list, CurrentRow)) {
            ++CurrentRow;
            continue;
        }
        const QString file = list->Cell(CurrentRow, colFileName);
        ConvertRow(list, file);
        ++ConvertedCount;
        ++CurrentRow;
    }

    if (!StopRequested) {
        if (FrmMainForm->chkShowOutputDirectory->isChecked())
            CommonLib->ShowFolderInExplorer(CommonLib->ConvertParameter.OutputFolder);
        if (FrmMainForm->chkShutdown->isChecked()) {
            CommonLib->ShutdownComputer();
            platform::current().endProcess(0);
            StopRequested = false;
            return;
        }
        if (!FailedRows.isEmpty())
            showFailures(FailedRows);
    }
    StopRequested = false;
}

void TCustomProc::ConvertRow(const TSourceGrid *list, const QString &file)
{
    LastEncoderOutput.clear();
    try {
        CommandLine = BuildEncoderCommand(file);
    } catch (const EMovarelError &error) {
        recordFailure(this, file, error.text());
        return;
    }
    AppFunc->WriteLog(QStringLiteral("parameter: ") + CommandLine);

    RefreshCount = 0;
    frmConverting->ProgressBar1->setValue(0);
    frmConverting->show();
    FrmMainForm->setEnabled(false);
    WaitServicingEvents(PauseBeforeStartMs);
    if (CurrentRow > list->RowCount())
        return; // stopped before this row's encoder started
    if (IsRealMediaSource(file) && !ScriptWritten) {
        recordFailure(this, file, QStringLiteral("The script for RealMedia sources could not be written."));
        return;
    }

    // The runner's thread hands each chunk over to the window's thread.
    QPointer<QObject> receiver(FrmMainForm);
    CurrentRunner = new TAdvanceSystem(CommandLine, [receiver](const QString &chunk) {
        if (receiver)
            QMetaObject::invokeMethod(
                receiver, [chunk] { CustomProc->OnEncoderOutput(chunk); }, Qt::QueuedConnection);
    });
    CurrentRunner->Resume();
    WaitServicingEvents(PauseAfterStartMs);
    while (encoderRunning()) {
        // Stopping returns only once the encoders are gone or it gave up on
        // one; then nothing is left to wait for.
        if (CurrentRow > list->RowCount()) {
            AbandonRunner();
            return;
        }
        WaitServicingEvents(100);
    }

    // The runner ends soon after its encoder; wait without freezing the window.
    while (!CurrentRunner->isFinished())
        WaitServicingEvents(20);
    const bool started = CurrentRunner->EncoderStarted();
    const int exitCode = CurrentRunner->ExitCode();
    delete CurrentRunner;
    CurrentRunner = nullptr;
    QCoreApplication::processEvents(); // output still on its way

    if (CurrentRow > list->RowCount()) {
        // A stopped encoder leaves half a file; the name was free when the row began.
        if (!OutputPath.isEmpty())
            QFile::remove(OutputPath);
        return;
    }
    checkResult(this, file, started, exitCode);
}
