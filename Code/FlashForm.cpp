#include "Code/FlashForm.h"

#include "Code/Startup.h"

#include <QCoreApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QTimer>

TFrmFlashForm::TFrmFlashForm(QWidget *parent) : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog)
{
    setObjectName(QStringLiteral("FrmFlashForm"));
    setFixedSize(421, 256);
    setModal(true);
    tmrStart = new QTimer(this);
    tmrStart->setObjectName(QStringLiteral("tmrStart"));
    tmrStart->setInterval(250);
    tmrTick = new QTimer(this);
    tmrTick->setObjectName(QStringLiteral("tmrTick"));
    tmrTick->setInterval(1000);
    tmrTick->setTimerType(Qt::PreciseTimer);
    connect(tmrStart, &QTimer::timeout, this, &TFrmFlashForm::tmrStartTimer);
    connect(tmrTick, &QTimer::timeout, this, &TFrmFlashForm::tmrTickTimer);
}

void TFrmFlashForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    TickCount = 0;
    tmrStart->start();
    tmrTick->start();
}

void TFrmFlashForm::tmrTickTimer()
{
    ++TickCount;
}

void TFrmFlashForm::tmrStartTimer()
{
    tmrStart->stop();
    RunStartupSequence();
    while (TickCount < 2)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    tmrTick->stop();
    accept();
}

void TFrmFlashForm::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, height());
    background.setColorAt(0.0, QColor(34, 52, 86));
    background.setColorAt(1.0, QColor(10, 16, 30));
    painter.fillRect(rect(), background);

    // A film strip across the middle, the program's mark.
    const QRect strip(0, 96, width(), 64);
    painter.fillRect(strip, QColor(20, 20, 20));
    painter.setBrush(QColor(230, 230, 230));
    painter.setPen(Qt::NoPen);
    for (int x = 8; x < width(); x += 24) {
        painter.drawRect(x, strip.top() + 6, 12, 8);
        painter.drawRect(x, strip.bottom() - 13, 12, 8);
    }
    painter.setPen(QColor(255, 255, 255));
    QFont title = font();
    title.setPointSize(28);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(strip, Qt::AlignCenter, QStringLiteral("Movarel"));
    QFont small = font();
    small.setPointSize(9);
    painter.setFont(small);
    painter.setPen(QColor(190, 200, 220));
    painter.drawText(rect().adjusted(0, 0, -12, -10), Qt::AlignRight | Qt::AlignBottom, QStringLiteral("Loading..."));
}
