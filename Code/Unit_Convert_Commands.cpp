// The main window's commands: keyboard table, window moving, system commands,
// options and output selection.
#include "Code/Unit_Convert.h"

#include "Code/Globals.h"
#include "Code/SystemCommands.h"
#include "Code/UnitCustomProc.h"
#include "Code/Unit_CommonLib.h"
#include "Code/Unit_Converting.h"
#include "Code/Unit_Option.h"
#include "Code/conversion/ConversionBatch.h"
#include "Code/core/Errors.h"
#include "ui/ErrorBox.h"
#include "ui/PictureButton.h"
#include "ui/SourceGrid.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QWindow>

#include <algorithm>

using ui::guardedHandler;

void TFrmMainForm::ConnectCommands()
{
    connect(btnConvert, &QAbstractButton::clicked, this, guardedHandler(this, &TFrmMainForm::btnConvertClick));
    connect(btnOptions, &QAbstractButton::clicked, this, guardedHandler(this, &TFrmMainForm::btnOptionsClick));
    connect(RzBmpButton1, &QAbstractButton::clicked, this,
            guardedHandler(this, &TFrmMainForm::btnSelectOutputFolderClick));
    connect(btnSelectOutputFolder, &QAbstractButton::clicked, this,
            guardedHandler(this, &TFrmMainForm::btnSelectOutputFolderClick));
    connect(cbbOutputFiletype, &QComboBox::activated, this,
            guardedHandler(this, &TFrmMainForm::cbbOutputFiletypeChange));
    connect(cbbProfile, &QComboBox::activated, this, guardedHandler(this, &TFrmMainForm::cbbProfileChange));
    connect(btnHelp, &QAbstractButton::clicked, this, guardedHandler(this, &TFrmMainForm::ActSysHelpExecute));
    connect(btnHomePage, &QAbstractButton::clicked, this, guardedHandler(this, &TFrmMainForm::ActSysHomePageExecute));
    connect(btnEMail, &QAbstractButton::clicked, this, guardedHandler(this, &TFrmMainForm::ActSysEmailExecute));
    connect(btnAbout, &QAbstractButton::clicked, this, guardedHandler(this, &TFrmMainForm::ActSysAboutExecute));
    connect(btnWindowMinimize, &QAbstractButton::clicked, this,
            guardedHandler(this, &TFrmMainForm::actMinimizeExecute));
    connect(btnWindowClose, &QAbstractButton::clicked, this,
            guardedHandler(this, &TFrmMainForm::actCloseWindowExecute));
}

bool TFrmMainForm::IsKeyForThisWindow(QObject *watched, const QKeyEvent *key)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != this)
        return false;
    // A key the focused control leaves alone travels on to its parents; the
    // window takes it at its first stop only, even when a box shown by the
    // command has moved the focus meanwhile.
    const bool seenBelow = key == m_lastKey.event && key->timestamp() == m_lastKey.timestamp && m_lastKey.receiver &&
                           widget != m_lastKey.receiver && widget->isAncestorOf(m_lastKey.receiver);
    if (seenBelow)
        return false;
    QWidget *focus = QApplication::focusWidget();
    if (focus ? widget != focus : widget != this)
        return false;
    m_lastKey = {key, key->timestamp(), widget};
    return true;
}

bool TFrmMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (IsKeyForThisWindow(watched, key))
            ui::guarded([&] { FormKeyDown(key->key(), key->modifiers()); });
        return false;
    }
    if ((watched == lblTitle || watched == Label5) &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove)) {
        lblTitleMouseMove(static_cast<QMouseEvent *>(event));
    }
    return QWidget::eventFilter(watched, event);
}

void TFrmMainForm::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    if (key == Qt::Key_F1) {
        ActSysHelpExecute();
        return;
    }
    const Qt::KeyboardModifiers held = modifiers & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    if (held != Qt::ControlModifier)
        return;
    QAbstractButton *target = nullptr;
    switch (key) {
    case Qt::Key_O:
        target = btnOpenFile;
        break;
    case Qt::Key_R:
        target = btnRemoveFile;
        break;
    case Qt::Key_L:
        target = btnClearFile;
        break;
    case Qt::Key_I:
        target = btnOptions;
        break;
    case Qt::Key_P:
        target = btnPlay;
        break;
    case Qt::Key_U:
        target = btnPause;
        break;
    case Qt::Key_T:
        target = btnStop;
        break;
    case Qt::Key_S:
    case Qt::Key_N:
        target = btnConvert;
        break;
    case Qt::Key_B:
        target = btnSelectOutputFolder;
        break;
    default:
        break;
    }
    // A click reaches hidden buttons too.
    if (target)
        target->click();
}

void TFrmMainForm::lblTitleMouseMove(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        m_manualDrag = false;
        return;
    }
    const QPoint global = event->globalPosition().toPoint();
    if (event->type() == QEvent::MouseButtonPress) {
        m_dragOffset = global - frameGeometry().topLeft();
        // Prefer the window system's own move; where it cannot, follow the mouse.
        m_manualDrag = !(windowHandle() && windowHandle()->startSystemMove());
        return;
    }
    if (m_manualDrag)
        move(global - m_dragOffset);
}

void TFrmMainForm::btnConvertClick()
{
    const QList<TConversionRow> rows = dxTreeSourceFileInfo->Model()->ConversionRows();
    const bool anyChecked =
        std::any_of(rows.begin(), rows.end(), [](const TConversionRow &row) { return row.Checked; });
    if (anyChecked && !m_batch->IsRunning())
        ShowCustomProfileInOptions();
    CustomProc->StartBatchConversion(*m_batch, rows, ConversionRequest());
}

void TFrmMainForm::ShowCustomProfileInOptions()
{
    // A batch never changes the options window: the chosen custom profile
    // goes into its selectors once, when Convert is pressed, so that the
    // window shows what the batch converts with and a later batch uses the
    // same values.
    try {
        CustomProc->ApplyCustomProfile(frmOption->Selectors());
    } catch (const EConvertError &) {
        // A damaged profile: every row fails with its reason, as it would anyway.
    }
}

void TFrmMainForm::BatchFinished(const TBatchOutcome &outcome)
{
    if (std::exchange(m_closeAfterBatch, false)) {
        setEnabled(true);
        close();
        return;
    }
    // No window of ours active: the user is working elsewhere.
    const bool userAway = QApplication::activeWindow() == nullptr;
    // A power-off ends the program here; nobody is left to read a notice.
    const bool ending = CustomProc->RunEndActions(outcome, ReadUserSettings());
    if (!ending && !outcome.StoppedByUser && userAway)
        CustomProc->AnnounceBatchEnd(outcome);
    frmConverting->hide();
    setEnabled(true);
    if (!outcome.AbandonedEncoder.isEmpty())
        CommonLib->ShowNotice(outcome.AbandonedEncoder, nkWarning);
    // The notice stands alone, over a main window that works again.
    const QString report = outcome.Report();
    if (!ending && !outcome.StoppedByUser && !report.isEmpty())
        CommonLib->ShowNotice(report, nkWarning);
}

void TFrmMainForm::btnOptionsClick()
{
    frmOption->show();
    frmOption->raise();
    frmOption->activateWindow();
}

void TFrmMainForm::btnSelectOutputFolderClick()
{
    edtOutputFolder->setText(CommonLib->SelectOutputFolder(edtOutputFolder->text()));
}

void TFrmMainForm::cbbOutputFiletypeChange()
{
    cbbProfileChange();
}

void TFrmMainForm::cbbProfileChange()
{
    CustomProc->ApplyQualityPreset(cbbOutputFiletype->currentIndex(), cbbProfile->currentIndex(),
                                   frmOption->Selectors());
}

void TFrmMainForm::ActSysHelpExecute()
{
    OpenHelpFile();
}

void TFrmMainForm::ActSysHomePageExecute()
{
    OpenHomePage();
}

void TFrmMainForm::ActSysEmailExecute()
{
    SendSupportEmail();
}

void TFrmMainForm::ActSysAboutExecute()
{
    ShowAboutBox(this);
}

void TFrmMainForm::actMinimizeExecute()
{
    showNormal();
    showMinimized();
}

void TFrmMainForm::actCloseWindowExecute()
{
    close();
}
