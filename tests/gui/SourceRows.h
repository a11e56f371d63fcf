#pragma once

// Helpers for tests of the source list, the trim bar and the player: rows put
// straight into the list (no probing), selections, and a fresh start for the
// state the player and the trim bar share.

#include "Code/Globals.h"
#include "Code/UnitCustomProc.h"
#include "Code/Unit_CommonLib.h"
#include "Code/Unit_Convert.h"
#include "Code/core/TextFormats.h"
#include "media/FilterGraph.h"
#include "ui/SourceGrid.h"
#include "ui/TrimBar.h"

#include <QLabel>
#include <QList>
#include <QStringList>

namespace rows {

inline TSourceGrid *grid()
{
    return FrmMainForm->dxTreeSourceFileInfo;
}

// A row with the trim cells given and the cut time that goes with them.
inline void append(const QString &name, const QString &duration, const QString &start = QStringLiteral("00:00:00"),
                   QString end = QString())
{
    if (end.isNull())
        end = duration;
    QString cut = duration;
    try {
        qint64 s = 0;
        qint64 e = 0;
        if (ReadTimeSplitStrict(start, s) && ReadTimeSplitStrict(end, e))
            cut = FormatDuration(e - s);
    } catch (const std::exception &) {
        // a cell that is not a time: the cut stays the duration
    }
    grid()->Model()->AppendRow({QStringLiteral("True"), name, QStringLiteral("1 KB"), duration, start, end, cut});
}

inline void selectOnly(const QList<int> &selected)
{
    grid()->clearSelection();
    for (int row : selected)
        grid()->SelectRow(row);
}

inline QStringList column(int column)
{
    QStringList texts;
    for (int row = 0; row < grid()->RowCount(); ++row)
        texts.append(grid()->Cell(row, column));
    return texts;
}

inline QStringList row(int row)
{
    QStringList texts;
    for (int column = 0; column < SourceColumnCount; ++column)
        texts.append(grid()->Cell(row, column));
    return texts;
}

// Empty list, nothing loaded, trim state as at start-up, handles at 1 pixel.
inline void resetAll()
{
    CustomProc->StopPlayback(FrmMainForm->Preview());
    FrmMainForm->FilterGraph->SetActive(false);
    CustomProc->PlayerState.File.clear();
    CustomProc->PlayerState.IsPlaying = false;
    CommonLib->ClearSourceList(grid());
    CustomProc->PlayerState.TrimStartSeconds = 0;
    CustomProc->PlayerState.DurationSeconds = 0;
    CustomProc->PlayerState.StopMarkText.clear();
    CustomProc->PlayerState.TrimBarReady = false;
    FrmMainForm->Panel1->SetBarWidth(260);
    FrmMainForm->Panel1->SetLeftCutWidth(1);
    FrmMainForm->Panel1->SetRightCutWidth(1);
    FrmMainForm->pnlCurTime->setText(QStringLiteral("00:00:00"));
    FrmMainForm->panLogo->show();
}

} // namespace rows
