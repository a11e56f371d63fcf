#include "Code/core/Waiting.h"

#include <QEventLoop>
#include <QTimer>

void WaitServicingEvents(int milliseconds)
{
    // A nested loop sleeps until an event or the timer comes, so waiting costs
    // no processor time while the window still answers.
    QEventLoop loop;
    QTimer::singleShot(qMax(0, milliseconds), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}
