// The main window's preview player and trim bar handlers.
#include "Code/Unit_Convert.h"

#include "Code/Func.h"
#include "Code/Globals.h"
#include "Code/UnitCustomProc.h"
#include "Code/Unit_CommonLib.h"
#include "Code/core/TextFormats.h"
#include "media/FilterGraph.h"
#include "media/TrackBar.h"
#include "ui/ErrorBox.h"
#include "ui/PictureButton.h"
#include "ui/SourceGrid.h"
#include "ui/TrimBar.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTimer>

using ui::guardedHandler;

namespace {

int nudgeStep(Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers held = modifiers & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    if (held == Qt::ControlModifier)
        return 1;
    if (held == Qt::ShiftModifier)
        return 10;
    return 5;
}
} // namespace

void TFrmMainForm::ConnectPreview()
{
    connect(btnPlay, &QAbstractButton::clicked, this, guardedHandler(this, &TFrmMainForm::btnPlayClick));
    connect(btnPause, &QAbstractButton::clicked, this, guardedHandler(this, &TFrmMainForm::btnPauseClick));
    connect(btnStop, &QAbstractButton::clicked, this, guardedHandler(this, &TFrmMainForm::btnStopClick));
    connect(dstrckbrMainform, &TDSTrackBar::OnTimer, this,
            [this](quint32 current, quint32 stop) { ui::guarded([&] { dstrckbrMainformTimer(current, stop); }); });
    connect(Panel1, &TTrimBar::StartHandleMoved, this, guardedHandler(this, &TFrmMainForm::SetStartTimeAndPlay));
    connect(Panel1, &TTrimBar::EndHandleMoved, this, guardedHandler(this, &TFrmMainForm::Splitter2Moved));
    connect(Panel1, &TTrimBar::AreaMouseDown, this,
            [this](int panel, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
                ui::guarded([&] {
                    if (panel == 2)
                        Panel2MouseDown(button, modifiers);
                    else if (panel == 3)
                        Panel3MouseDown(button, modifiers);
                });
            });
    connect(tmrPaintSP, &QTimer::timeout, this, &TFrmMainForm::tmrPaintSPTimer);
    connect(Panel1, &TTrimBar::HandlesChanged, this, &TFrmMainForm::WakePaintTimer);
}

void TFrmMainForm::btnPlayClick()
{
    if (!CommonLib->PreviewFile.isEmpty()) {
        if (!CustomProc->IsPlaying)
            CustomProc->ResumePlayback(Preview());
        return;
    }
    for (int row : dxTreeSourceFileInfo->SelectedRows()) {
        const std::optional<qint64> start = Panel1->Ready ? std::optional<qint64>(TrimStartSeconds) : std::nullopt;
        CustomProc->StartPreview(Preview(), dxTreeSourceFileInfo->Cell(row, colFileName), start);
    }
}

void TFrmMainForm::btnPauseClick()
{
    if (!CommonLib->PreviewFile.isEmpty() && CustomProc->IsPlaying)
        CustomProc->PausePlayback(Preview());
}

void TFrmMainForm::btnStopClick()
{
    CustomProc->StopPlayback(Preview());
}

void TFrmMainForm::dstrckbrMainformTimer(quint32 currentPos, quint32 stopPos)
{
    const qint64 seconds = FilterGraph->CurrentPosition() / 10000000;
    pnlCurTime->setText(FormatPosition(seconds / 3600, (seconds % 3600) / 60, seconds % 60));
    if (pnlCurTime->text() == StopMarkText) {
        TCommonLib::SeekPreview(FilterGraph, 0);
        CustomProc->PausePlayback(Preview());
    }
    if (currentPos >= stopPos) {
        TCommonLib::SeekPreview(FilterGraph, 0);
        CustomProc->StopPlayback(Preview());
    }
}

void TFrmMainForm::SetStartTimeAndPlay()
{
    QCoreApplication::processEvents();
    Panel1->SetBarWidth(TTrimBar::DesignWidth);
    if (Panel1->EndHandleLeft() - Panel1->StartHandleLeft() < 20)
        Panel1->SetLeftCutWidth(Panel1->LeftCutWidth() - 1);
    TrimStartSeconds = Panel1->StartSeconds(Panel1->DurationSeconds);
    for (int row : dxTreeSourceFileInfo->SelectedRows()) {
        dxTreeSourceFileInfo->SetCell(row, colStartTime, FormatDuration(TrimStartSeconds));
        const QString file = dxTreeSourceFileInfo->Cell(row, colFileName);
        dxTreeSourceFileInfo->SetCell(row, colCutTime,
                                      FormatDuration(CustomProc->GetCutSeconds(dxTreeSourceFileInfo, file)));
        if (Panel1->Ready && FilterGraph->Active()) {
            try {
                TCommonLib::SeekPreview(FilterGraph, TrimStartSeconds * 1000);
            } catch (const std::exception &error) {
                // A failed seek leaves the preview where it was; the times still stand.
                AppFunc->WriteCaughtError(QStringLiteral("Preview"), error);
            }
        }
        dxTreeSourceFileInfo->viewport()->update();
    }
}

void TFrmMainForm::Splitter2Moved()
{
    QCoreApplication::processEvents();
    Panel1->SetBarWidth(TTrimBar::DesignWidth);
    if (Panel1->EndHandleLeft() - Panel1->StartHandleLeft() < 20)
        Panel1->SetRightCutWidth(Panel1->RightCutWidth() - 1);
    const QString endText = FormatDuration(Panel1->EndSeconds(Panel1->DurationSeconds));
    for (int row : dxTreeSourceFileInfo->SelectedRows()) {
        dxTreeSourceFileInfo->SetCell(row, colEndTime, endText);
        StopMarkText = endText;
        const QString file = dxTreeSourceFileInfo->Cell(row, colFileName);
        dxTreeSourceFileInfo->SetCell(row, colCutTime,
                                      FormatDuration(CustomProc->GetCutSeconds(dxTreeSourceFileInfo, file)));
        dxTreeSourceFileInfo->viewport()->update();
    }
    Splitter2->update();
}

namespace {
// Nudges only when the clicked cut area is wider than the step and the kept
// part is still wide enough to give way.
bool canNudge(const TTrimBar *bar, int areaWidth, int step)
{
    return areaWidth > step && bar->LeftCutWidth() + bar->RightCutWidth() + 45 <= bar->BarWidth();
}
} // namespace

void TFrmMainForm::Panel2MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    const int step = nudgeStep(modifiers);
    if (button != Qt::LeftButton || !canNudge(Panel1, Panel1->LeftCutWidth(), step))
        return;
    Panel1->SetLeftCutWidth(Panel1->LeftCutWidth() - step);
    SetStartTimeAndPlay();
}

void TFrmMainForm::Panel3MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    const int step = nudgeStep(modifiers);
    if (button != Qt::LeftButton || !canNudge(Panel1, Panel1->RightCutWidth(), step))
        return;
    Panel1->SetRightCutWidth(Panel1->RightCutWidth() - step);
    Splitter2Moved();
}

// The handle timer ticks every 10 ms while the handles change and rests once a
// tick finds nothing to paint: an idle window then has no timer waking it.
void TFrmMainForm::tmrPaintSPTimer()
{
    if (!Panel1->RepaintHandles())
        tmrPaintSP->stop();
}

void TFrmMainForm::WakePaintTimer()
{
    // Restarting a running timer would hold the repaint off during a drag.
    if (!tmrPaintSP->isActive())
        tmrPaintSP->start();
}
