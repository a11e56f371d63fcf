#include "Code/UnitCustomProc.h"

#include "Code/Globals.h"
#include "Code/Unit_CommonLib.h"
#include "Code/core/Errors.h"
#include "Code/core/TextFormats.h"
#include "media/FilterGraph.h"
#include "ui/SourceGrid.h"
#include "ui/TrimBar.h"

void TCustomProc::SyncTrimBarToSelection(TTrimBar *bar, const TSourceGrid *list, const TPreviewControls &preview)
{
    bar->SetBarWidth(TTrimBar::DesignWidth);
    // A cell that gives fewer than three parts keeps the previous row's value.
    qint64 duration = 0;
    qint64 start = 0;
    qint64 end = 0;
    for (int row : list->SelectedRows()) {
        if (list->Cell(row, colFileName) == CommonLib->PreviewFile)
            continue;
        StopPlayback(preview);
        ReadTimeSplitLenient(list->Cell(row, colDuration), duration);
        ReadTimeSplitLenient(list->Cell(row, colStartTime), start);
        ReadTimeSplitLenient(list->Cell(row, colEndTime), end);
        bar->DurationSeconds = duration;
        bar->Ready = false;
        // A row without a duration cannot be laid out (the list never holds one).
        if (duration <= 0)
            continue;
        bar->ShowSpan(start, end, duration);
        bar->Ready = true;
    }
}

qint64 TCustomProc::GetCutSeconds(const TSourceGrid *list, const QString &file)
{
    const std::optional<TTrimSpan> span = TrimSpanOf(SourceRowsOf(list), file, false);
    return span ? span->Length() : 0;
}

void TCustomProc::ValidateTrimTimes(TSourceGrid *list, const TTrimBar *bar, TFilterGraph *graph)
{
    const QString zero = QStringLiteral("00:00:00");
    for (int row : list->SelectedRows()) {
        const QString d = list->Cell(row, colDuration);
        QString s = list->Cell(row, colStartTime);
        QString e = list->Cell(row, colEndTime);
        if (s.isEmpty()) {
            list->SetCell(row, colStartTime, zero);
            s = zero;
        }
        if (e.isEmpty()) {
            list->SetCell(row, colEndTime, d);
            e = d;
        }
        // Read once: the later steps use these even where a cell changes.
        const qint64 dSeconds = ReadTimeFixed(d);
        const qint64 sSeconds = ReadTimeFixed(s);
        const qint64 eSeconds = ReadTimeFixed(e);
        if (sSeconds >= dSeconds)
            list->SetCell(row, colStartTime, d.left(8));
        if (sSeconds >= eSeconds)
            list->SetCell(row, colEndTime, s.left(8));
        if (bar->Ready && graph->Active())
            TCommonLib::SeekPreview(graph, ReadTimeFixed(list->Cell(row, colStartTime)) * 1000);
        if (eSeconds >= dSeconds)
            list->SetCell(row, colEndTime, d);
        list->SetCell(row, colCutTime, FormatDuration(qMin(eSeconds, dSeconds) - sSeconds));
    }
}
