#include "Code/Waiting.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

void WaitServicingEvents(int milliseconds)
{
    QCoreApplication::processEvents();
    const QDeadlineTimer deadline(milliseconds, Qt::PreciseTimer);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, static_cast<int>(deadline.remainingTime()));
}
