#include "Code/Unit_Converting.h"

#include "Code/Globals.h"
#include "Code/UnitCustomProc.h"
#include "Code/Unit_CommonLib.h"
#include "Code/core/ProgressText.h"
#include "Code/core/TextFormats.h"
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

#include <limits>

namespace {
QLabel *label(QWidget *parent, const char *name, const QString &text)
{
    return ui::Named(new QLabel(text, parent), name, text.isEmpty() ? QString::fromLatin1(name) : text);
}

QProgressBar *bar(QWidget *parent, const char *name, const QString &accessibleName)
{
    auto *b = ui::Named(new QProgressBar(parent), name, accessibleName);
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

TfrmConverting::TfrmConverting(QWidget *parent) : QDialog(parent)
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
    btnStop = ui::Named(new ui::PictureButton(ui::artwork::Glyph::Stop, tr("Stop"), this), "btnStop", tr("Stop"));
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
    connect(btnStop, &QAbstractButton::clicked, this, [this] { ui::Guarded([this] { btnStop1Click(); }); });
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

void TfrmConverting::FormShow()
{
    TickState = 0;
    lblCurFileName->setText(CommonLib->ConvertParameter.InputFile);
    lblPersent->setText(QStringLiteral("Current: 1, Total: ") + QString::number(CustomProc->Batch.CheckedCount));
    ProgressBar1->setRange(0, 1);
    ProgressBar1->setValue(0);
    pbTotal->setRange(0, 1);
    pbTotal->setValue(0);
}

void TfrmConverting::tmrChangingTimer()
{
    static const char signs[] = {'|', '/', '-', '\\', '|'};
    TickState = TickState >= 5 ? 1 : TickState + 1;
    const QString words = ProgressBar1->value() >= 3 ? QStringLiteral("Converting  ")
                                                     : QStringLiteral("Installing convert information  ");
    lblInfo->setText(words + QLatin1Char(signs[TickState - 1]));
}

void TfrmConverting::SetCurrentBar(int maximum, qint64 position)
{
    ProgressBar1->setRange(0, maximum);
    if (position >= 0)
        ProgressBar1->setValue(static_cast<int>(qBound(qint64(0), position, qint64(maximum))));
}

void TfrmConverting::ShowEncoderOutput(const QString &chunk)
{
    statPanel0->setText(chunk);
    lblCurFileName->setText(CommonLib->ConvertParameter.InputFile);
    actRefreshProgress->trigger();
}

void TfrmConverting::actRefreshProgressExecute()
{
    TConversionBatch &batch = CustomProc->Batch;
    if (++batch.RefreshCount <= 1)
        return;

    pbTotal->setMaximum(batch.CheckedCount * 100);
    const int batchValue = ProgressBar1->value() * 100 / (ProgressBar1->maximum() + 1) + batch.ConvertedCount * 100;
    pbTotal->setValue(qMin(batchValue, pbTotal->maximum()));
    lblPersent->setText(
        QStringLiteral("Current: %1 , Total: %2.").arg(batch.ConvertedCount + 1).arg(batch.CheckedCount));

    // A cut length that is negative, or missing because no row held the file,
    // gives an empty bar.
    const std::optional<TTrimSpan> &trim = CustomProc->CurrentTrim;
    const qint64 length = trim ? trim->Length() : 0;
    const int maximum = length > 0 ? static_cast<int>(qMin<qint64>(length, std::numeric_limits<int>::max())) : 0;
    SetCurrentBar(maximum, -1);

    const QString text = statPanel0->text();
    if (text.isEmpty())
        return;
    const std::optional<qint64> seconds =
        ReadProgressSeconds(text, IsAudioOnlyCodec(CommonLib->ConvertParameter.CodecParam));
    if (seconds)
        SetCurrentBar(maximum, *seconds);
}

void TfrmConverting::EndBatchNow()
{
    hide();
    Q_EMIT BatchStopped();
    CustomProc->Batch.EndLoop();
    CommonLib->KillEncoders(CommonLib->ConvertParameter.EncoderPath);
}

void TfrmConverting::btnStop1Click()
{
    if (!userConfirms(this, QStringLiteral("Are you sure you want to stop the work ? ")))
        return;
    CustomProc->Batch.StopRequested = true;
    EndBatchNow();
    ProgressBar1->setValue(0);
    pbTotal->setMaximum(0);
    pbTotal->setValue(0);
    lblPersent->setText(QStringLiteral("Current: 1, Total: ..."));
}

bool TfrmConverting::FormClose()
{
    if (!userConfirms(this, QStringLiteral("Are you sure to stop processing ?")))
        return false;
    EndBatchNow();
    return true;
}

void TfrmConverting::closeEvent(QCloseEvent *event)
{
    bool closed = false;
    ui::Guarded([&] { closed = FormClose(); });
    event->setAccepted(closed);
}

void TfrmConverting::reject()
{
    // Esc asks like the close box does.
    close();
}
