#include "Code/InitFileForm.h"

#include "Code/Globals.h"
#include "Code/UnitCustomProc.h"
#include "Code/Unit_CommonLib.h"
#include "ui/Artwork.h"
#include "ui/ErrorBox.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

TFrmInitFileForm::TFrmInitFileForm(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("FrmInitFileForm"));
    setWindowTitle(QStringLiteral("Reading file information..."));
    setFixedSize(273, 45);
    setModal(true);
    lblInfo = new QLabel(QStringLiteral("Reading file information..."), this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setAlignment(Qt::AlignCenter);
    QFont bold = lblInfo->font();
    bold.setBold(true);
    lblInfo->setFont(bold);
    lblInfo->setStyleSheet(QStringLiteral("color: white;"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblInfo);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(300);
    Timer2->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &TFrmInitFileForm::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TFrmInitFileForm::Timer2Timer);
}

void TFrmInitFileForm::SetFileList(TSourceGrid *list, const QStringList &names, const QString &chosenFile)
{
    m_list = list;
    m_names = names;
    m_chosenFile = chosenFile;
}

void TFrmInitFileForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QWidget *owner = NoticeOwner()) {
        // Wayland places windows itself and puts the box over its owner only
        // when told whose box it is; elsewhere the move does it.
        if (windowHandle() && owner->windowHandle())
            windowHandle()->setTransientParent(owner->windowHandle());
        move(owner->geometry().center() - rect().center());
    }
    AnimationStep = 1;
    Timer1->start();
    Timer2->start();
}

void TFrmInitFileForm::Timer1Timer()
{
    static const char signs[] = {'|', '/', '-', '\\'};
    QCoreApplication::processEvents();
    AnimationStep = AnimationStep >= 4 ? 1 : AnimationStep + 1;
    lblInfo->setText(QStringLiteral("Installing File...  ") + QLatin1Char(signs[AnimationStep - 1]));
}

void TFrmInitFileForm::Timer2Timer()
{
    QCoreApplication::processEvents();
    Timer2->stop();
    // The box closes whatever happened; an error is still shown.
    ui::guarded([this] {
        if (!m_list)
            return;
        CommonLib->AddSourceFiles(m_list, m_names);
        Q_EMIT FilesAdded();
    });
    ui::guarded([this] { CustomProc->WriteInitDir(m_chosenFile); });
    accept();
}

void TFrmInitFileForm::reject() {}

void TFrmInitFileForm::done(int result)
{
    Timer1->stop();
    Timer2->stop();
    QDialog::done(result);
}

void TFrmInitFileForm::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), ui::artwork::titleStrip());
    painter.setPen(ui::artwork::accent());
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
