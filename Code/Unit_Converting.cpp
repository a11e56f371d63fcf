#include "Code/Unit_Converting.h"

#include "Code/Unit_CommonLib.h"
#include "ui/Artwork.h"
#include "ui/ErrorBox.h"
#include "ui/Named.h"
#include "ui/PictureButton.h"
#include "ui/Prompts.h"

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {
QLabel *label(QWidget *parent, const char *name, const QString &text)
{
    return ui::named(new QLabel(text, parent), name, text.isEmpty() ? QString::fromLatin1(name) : text);
}

QProgressBar *bar(QWidget *parent, const char *name, const QString &accessibleName)
{
    auto *b = ui::named(new QProgressBar(parent), name, accessibleName);
    b->setRange(0, 1);
    b->setValue(0);
    return b;
}

bool userConfirms(QWidget *parent, const QString &question)
{
    return ui::prompts().message(parent, QMessageBox::Question, question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}
} // namespace

TfrmConverting::TfrmConverting(TConversionBatch *batch, QWidget *parent) : QDialog(parent), m_batch(batch)
{
    setObjectName(QStringLiteral("frmConverting"));
    setWindowTitle(QStringLiteral("Converting"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(435, 222);

    lblInfo = label(this, "lblInfo", QStringLiteral("Please wait . . ."));
    QFont bold = lblInfo->font();
    bold.setBold(true);
    lblInfo->setFont(bold);
    lblInfo->setStyleSheet(QStringLiteral("color: white;"));
    lblCurConvertFileL = label(this, "lblCurConvertFileL", QStringLiteral("Current Convert File:"));
    lblCurFileName = label(this, "lblCurFileName", QString());
    lblCurFileName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblTotalFilr = label(this, "lblTotalFilr", QStringLiteral("Total File:"));
    pbTotal = bar(this, "pbTotal", tr("Whole batch"));
    lblCurprog = label(this, "lblCurprog", QStringLiteral("Current File:"));
    ProgressBar1 = bar(this, "ProgressBar1", tr("Current file"));
    lblPersent = label(this, "lblPersent", QStringLiteral("Current: 1, Total: ..."));
    btnStop = ui::named(new ui::PictureButton(ui::artwork::Glyph::Stop, tr("Stop"), this), "btnStop", tr("Stop"));
    statState = new QStatusBar(this);
    statState->setObjectName(QStringLiteral("statState"));
    statState->setSizeGripEnabled(false);
    statPanel0 = label(statState, "statPanel0", QString());
    statState->addWidget(statPanel0, 1);

    auto *grid = new QGridLayout;
    grid->addWidget(lblCurConvertFileL, 0, 0);
    grid->addWidget(lblCurFileName, 0, 1);
    grid->addWidget(lblTotalFilr, 1, 0);
    grid->addWidget(pbTotal, 1, 1);
    grid->addWidget(lblCurprog, 2, 0);
    grid->addWidget(ProgressBar1, 2, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(lblPersent, 1);
    bottom->addWidget(btnStop);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblInfo);
    layout->addLayout(grid);
    layout->addLayout(bottom);
    layout->addWidget(statState);

    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ui::artwork::windowBackground());
    palette.setColor(QPalette::WindowText, Qt::white);
    setPalette(palette);

    tmrChanging = new QTimer(this);
    tmrChanging->setObjectName(QStringLiteral("tmrChanging"));
    tmrChanging->setInterval(500);
    connect(tmrChanging, &QTimer::timeout, this, &TfrmConverting::tmrChangingTimer);
    tmrChanging->start();
    actRefreshProgress = new QAction(this);
    actRefreshProgress->setObjectName(QStringLiteral("actRefreshProgress"));
    connect(actRefreshProgress, &QAction::triggered, this, [this] { actRefreshProgressExecute(); });
    connect(btnStop, &QAbstractButton::clicked, this, [this] { ui::guarded([this] { btnStop1Click(); }); });
    connect(batch, &TConversionBatch::RowStarting, this, &TfrmConverting::WatchRow);
    connect(batch, &TConversionBatch::EncoderOutput, this, &TfrmConverting::ShowEncoderOutput);
    connect(batch, &TConversionBatch::ProgressChanged, this, &TfrmConverting::ShowProgress);
}

void TfrmConverting::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (const QWidget *owner = NoticeOwner())
        move(owner->geometry().center() - rect().center());
    FormShow();
}

void TfrmConverting::WatchRow(const TConversionJob &job, int convertedCount, int checkedCount)
{
    Q_UNUSED(convertedCount);
    m_inputFile = job.Parameters.InputFile;
    m_checkedCount = checkedCount;
    m_progress = TBatchProgress();
    ProgressBar1->setValue(0);
}

void TfrmConverting::FormShow()
{
    TickState = 0;
    ShowFileName();
    ShowWaitingRowCount(QString::number(m_checkedCount));
    ClearBars();
}

void TfrmConverting::tmrChangingTimer()
{
    TickState = TickState >= 5 ? 1 : TickState + 1;
    ShowActivity();
}

void TfrmConverting::ShowActivity()
{
    static const char signs[] = {'|', '/', '-', '\\', '|'};
    const QString words = m_progress.CurrentPosition >= 3 ? QStringLiteral("Converting  ")
                                                          : QStringLiteral("Installing convert information  ");
    lblInfo->setText(words + QLatin1Char(signs[TickState - 1]));
}

void TfrmConverting::ShowFileName()
{
    lblCurFileName->setText(m_inputFile);
}

void TfrmConverting::ShowRowCount()
{
    lblPersent->setText(
        QStringLiteral("Current: %1 , Total: %2.").arg(m_progress.RowNumber).arg(m_progress.CheckedCount));
}

void TfrmConverting::ShowWaitingRowCount(const QString &total)
{
    lblPersent->setText(QStringLiteral("Current: 1, Total: ") + total);
}

void TfrmConverting::ShowBars()
{
    pbTotal->setMaximum(m_progress.BatchMaximum);
    pbTotal->setValue(m_progress.BatchPosition);
    ProgressBar1->setRange(0, m_progress.CurrentMaximum);
    ProgressBar1->setValue(m_progress.CurrentPosition);
}

void TfrmConverting::ClearBars()
{
    ProgressBar1->setRange(0, 1);
    ProgressBar1->setValue(0);
    pbTotal->setRange(0, 1);
    pbTotal->setValue(0);
}

void TfrmConverting::ShowEncoderOutput(const QString &chunk)
{
    statPanel0->setText(chunk);
    ShowFileName();
}

void TfrmConverting::ShowProgress(const TBatchProgress &progress)
{
    m_progress = progress;
    actRefreshProgress->trigger();
}

void TfrmConverting::actRefreshProgressExecute()
{
    ShowBars();
    ShowRowCount();
}

bool TfrmConverting::ConfirmStop(const QString &question)
{
    // The batch neither ends a row nor starts one while the user decides.
    if (m_batch)
        m_batch->Hold();
    const bool confirmed = userConfirms(this, question);
    if (!confirmed && m_batch)
        m_batch->Release();
    return confirmed;
}

void TfrmConverting::EndBatchNow(bool byStopButton)
{
    hide();
    Q_EMIT BatchStopped();
    if (m_batch) {
        m_batch->Stop(byStopButton);
        m_batch->Release();
    }
}

void TfrmConverting::btnStop1Click()
{
    if (!ConfirmStop(QStringLiteral("Are you sure you want to stop the work ? ")))
        return;
    EndBatchNow(true);
    m_progress = TBatchProgress();
    ProgressBar1->setValue(0);
    pbTotal->setMaximum(0);
    pbTotal->setValue(0);
    ShowWaitingRowCount(QStringLiteral("..."));
}

bool TfrmConverting::FormClose()
{
    return ConfirmCloseAndStop(false);
}

bool TfrmConverting::ConfirmCloseFromOutside()
{
    return ConfirmCloseAndStop(true);
}

bool TfrmConverting::ConfirmCloseAndStop(bool byStopButton)
{
    if (!ConfirmStop(QStringLiteral("Are you sure to stop processing ?")))
        return false;
    EndBatchNow(byStopButton);
    return true;
}

void TfrmConverting::closeEvent(QCloseEvent *event)
{
    bool closed = false;
    ui::guarded([&] { closed = FormClose(); });
    event->setAccepted(closed);
}

void TfrmConverting::reject()
{
    // Esc asks like the close box does.
    close();
}
