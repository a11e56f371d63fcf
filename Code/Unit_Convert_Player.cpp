// The main window's preview player and trim bar handlers.
#include "Code/Unit_Convert.h"

#include "Code/Globals.h"
#include "Code/UnitCustomProc.h"
#include "Code/Unit_CommonLib.h"
#include "Code/core/Func.h"
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
    if (!CustomProc->PlayerState.File.isEmpty()) {
        if (!CustomProc->PlayerState.IsPlaying)
            CustomProc->ResumePlayback(Preview());
        return;
    }
    for (int row : dxTreeSourceFileInfo->SelectedRows()) {
        const TPlayerState &state = CustomProc->PlayerState;
        const std::optional<qint64> start =
            state.TrimBarReady ? std::optional<qint64>(state.TrimStartSeconds) : std::nullopt;
        CustomProc->StartPreview(Preview(), dxTreeSourceFileInfo->Cell(row, colFileName), start);
    }
}

void TFrmMainForm::btnPauseClick()
{
    if (!CustomProc->PlayerState.File.isEmpty() && CustomProc->PlayerState.IsPlaying)
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
    if (pnlCurTime->text() == CustomProc->PlayerState.StopMarkText) {
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
    Panel1->KeepHandlesApart(true);
    TPlayerState &state = CustomProc->PlayerState;
    state.TrimStartSeconds = Panel1->StartSeconds(state.DurationSeconds);
    for (int row : dxTreeSourceFileInfo->SelectedRows()) {
        dxTreeSourceFileInfo->Model()->SetStartTime(row, state.TrimStartSeconds);
        if (state.TrimBarReady && FilterGraph->Active()) {
            try {
                TCommonLib::SeekPreview(FilterGraph, state.TrimStartSeconds * 1000);
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
    Panel1->KeepHandlesApart(false);
    TPlayerState &state = CustomProc->PlayerState;
    const QString endText = FormatDuration(Panel1->EndSeconds(state.DurationSeconds));
    for (int row : dxTreeSourceFileInfo->SelectedRows()) {
        state.StopMarkText = endText;
        dxTreeSourceFileInfo->Model()->SetEndTime(row, endText);
        dxTreeSourceFileInfo->viewport()->update();
    }
    Splitter2->update();
}

void TFrmMainForm::Panel2MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    const int step = nudgeStep(modifiers);
    if (button != Qt::LeftButton || !Panel1->CanNudge(Panel1->LeftCutWidth(), step))
        return;
    Panel1->SetLeftCutWidth(Panel1->LeftCutWidth() - step);
    SetStartTimeAndPlay();
}

void TFrmMainForm::Panel3MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    const int step = nudgeStep(modifiers);
    if (button != Qt::LeftButton || !Panel1->CanNudge(Panel1->RightCutWidth(), step))
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
