#include "Code/conversion/BatchProgress.h"

#include "Code/core/ProgressText.h"

double TBatchProgress::Share() const
{
    return BatchMaximum > 0 ? double(BatchPosition) / BatchMaximum : 0.0;
}

TBatchProgress BatchProgressAt(int convertedCount, int checkedCount, const std::optional<TTrimSpan> &trim,
                               qint64 position)
{
    TBatchProgress progress;
    progress.RowNumber = convertedCount + 1;
    progress.CheckedCount = checkedCount;
    progress.CurrentMaximum = CurrentBarMaximum(trim ? trim->Length() : 0);
    progress.CurrentPosition = static_cast<int>(qBound(qint64(0), position, qint64(progress.CurrentMaximum)));
    progress.BatchMaximum = checkedCount * 100;
    progress.BatchPosition = qMin(BatchBarPosition(convertedCount, progress.CurrentPosition, progress.CurrentMaximum),
                                  progress.BatchMaximum);
    return progress;
}

TBatchProgress BatchProgressAfterChunk(int convertedCount, int checkedCount, const std::optional<TTrimSpan> &trim,
                                       qint64 shownPosition, std::optional<qint64> seconds)
{
    TBatchProgress progress = BatchProgressAt(convertedCount, checkedCount, trim, shownPosition);
    if (seconds)
        progress.CurrentPosition = static_cast<int>(qBound(qint64(0), *seconds, qint64(progress.CurrentMaximum)));
    return progress;
}
