#include "Code/UnitCustomProc.h"

#include "Code/Errors.h"
#include "Code/Globals.h"
#include "Code/TextFormats.h"
#include "Code/Unit_CommonLib.h"
#include "Code/Unit_Convert.h"
#include "media/FilterGraph.h"
#include "ui/SourceGrid.h"
#include "ui/TrimBar.h"

#include <cmath>

namespace {

constexpr int barWidth = 260;

// Pixels of the bar that stand for the whole duration.
int scale(const TTrimBar *bar)
{
    return bar->BarWidth() - 2 - 2 * TTrimBar::HandleWidth;
}

// Nearest whole number, halves to the even neighbour.
qint64 nearest(double value)
{
    return static_cast<qint64>(std::nearbyint(value));
}

void layOut(TTrimBar *bar, qint64 start, qint64 end, qint64 duration)
{
    const int pixels = scale(bar);
    const qint64 left = nearest(double(start) / double(duration) * pixels) + 1;
    if (std::llabs(left - bar->LeftCutWidth()) > 1)
        bar->SetLeftCutWidth(static_cast<int>(left));
    const qint64 right = pixels - nearest(double(end) / double(duration) * pixels) + 1;
    if (std::llabs(right - bar->RightCutWidth()) > 2)
        bar->SetRightCutWidth(static_cast<int>(right));
}

} // namespace

void TCustomProc::SyncTrimBarToSelection()
{
    TFrmMainForm *form = FrmMainForm;
    TTrimBar *bar = form->Panel1;
    const TSourceGrid *list = form->dxTreeSourceFileInfo;
    bar->SetBarWidth(barWidth);
    // A cell that gives fewer than three parts keeps the previous row's value.
    qint64 duration = 0;
    qint64 start = 0;
    qint64 end = 0;
    for (int row : list->SelectedRows()) {
        if (list->Cell(row, colFileName) == CommonLib->PreviewFile)
            continue;
        StopPlayback();
        ReadTimeSplitLenient(list->Cell(row, colDuration), duration);
        ReadTimeSplitLenient(list->Cell(row, colStartTime), start);
        ReadTimeSplitLenient(list->Cell(row, colEndTime), end);
        form->TrimDurationSeconds = duration;
        form->TrimBarReady = false;
        // A row without a duration cannot be laid out (the list never holds one).
        if (duration <= 0)
            continue;
        layOut(bar, start, end, duration);
        form->TrimBarReady = true;
    }
}

std::optional<qint64> TCustomProc::TrimSpanOf(const QString &file, bool tolerant) const
{
    const TSourceGrid *list = FrmMainForm->dxTreeSourceFileInfo;
    const auto read = [tolerant](const QString &text, qint64 &seconds) {
        try {
            ReadTimeSplitStrict(text, seconds);
        } catch (const EConvertError &) {
            if (!tolerant)
                throw;
        }
    };
    qint64 start = 0;
    qint64 end = 0;
    bool matched = false;
    for (int row = 0; row < list->RowCount(); ++row) {
        if (list->Cell(row, colFileName).compare(file, Qt::CaseInsensitive) != 0)
            continue;
        matched = true;
        read(list->Cell(row, colStartTime), start);
        read(list->Cell(row, colEndTime), end);
    }
    return matched ? std::optional<qint64>(end - start) : std::nullopt;
}

qint64 TCustomProc::GetCutSeconds(const QString &file)
{
    return TrimSpanOf(file, false).value_or(0);
}

void TCustomProc::ValidateTrimTimes()
{
    TFrmMainForm *form = FrmMainForm;
    TSourceGrid *list = form->dxTreeSourceFileInfo;
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
        if (form->TrimBarReady && form->FilterGraph->Active())
            TCommonLib::SeekPreview(form->FilterGraph, ReadTimeFixed(list->Cell(row, colStartTime)) * 1000);
        if (eSeconds >= dSeconds)
            list->SetCell(row, colEndTime, d);
        list->SetCell(row, colCutTime, FormatDuration(qMin(eSeconds, dSeconds) - sSeconds));
    }
}
