#include "Code/UnitCustomProc.h"

#include "Code/Globals.h"
#include "Code/Unit_CommonLib.h"
#include "Code/conversion/ConversionBatch.h"
#include "platform/Platform.h"

void TCustomProc::StartBatchConversion(TConversionBatch &batch, const QList<TConversionRow> &rows,
                                       const TConversionRequest &request)
{
    // Stop gives the main window back while the batch winds down; a second
    // Convert then starts nothing, and says why.
    if (batch.IsRunning()) {
        CommonLib->ShowNotice(QStringLiteral("The last conversion is still being stopped. Please try again in a "
                                             "moment."),
                              nkInformation);
        return;
    }
    if (rows.isEmpty()) {
        CommonLib->ShowNotice(QStringLiteral("Please add media files you want to convert into the list."), nkWarning);
        return;
    }
    batch.Start(rows, request);
}

bool TCustomProc::RunEndActions(const TBatchOutcome &outcome, const TUserSettings &settings)
{
    if (outcome.StoppedByUser)
        return false;
    if (settings.ShowOutputDirectory)
        CommonLib->ShowFolderInExplorer(outcome.OutputFolder);
    if (!settings.Shutdown)
        return false;
    CommonLib->ShutdownComputer();
    platform::current().endProcess(0);
    return true;
}

void TCustomProc::AnnounceBatchEnd(const TBatchOutcome &outcome)
{
    platform::current().postNotice({.summary = QStringLiteral("Conversion finished"),
                                    .body = outcome.Summary(),
                                    .folderToOpen = outcome.OutputFolder});
}
