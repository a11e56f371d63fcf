#include "Code/UnitCustomProc.h"

#include "Code/Unit_CommonLib.h"
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
        if (list->Cell(row, colFileName) == PlayerState.File)
            continue;
        StopPlayback(preview);
        list->Model()->ReadTrimLayout(row, duration, start, end);
        PlayerState.DurationSeconds = duration;
        PlayerState.TrimBarReady = false;
        // A row without a duration cannot be laid out (the list never holds one).
        if (duration <= 0)
            continue;
        bar->ShowSpan(start, end, duration);
        PlayerState.TrimBarReady = true;
    }
}

qint64 TCustomProc::GetCutSeconds(const TSourceGrid *list, const QString &file)
{
    return list->Model()->CutSecondsOf(file);
}

void TCustomProc::ValidateTrimTimes(TSourceGrid *list, TFilterGraph *graph)
{
    for (int row : list->SelectedRows()) {
        const qint64 startSeconds = list->Model()->ValidateTrimTimes(row);
        if (PlayerState.TrimBarReady && graph->Active())
            TCommonLib::SeekPreview(graph, startSeconds * 1000);
    }
}
