#include "platform/TerminationRequests.h"

#include <QGuiApplication>
#include <QObject>

namespace platform {

// A session's end reaches a window program as a close of its windows and a
// commit request; the windows' own close handling covers it.
void watchTerminationRequests(QObject *context, std::function<void()> onRequest)
{
    QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, context, [onRequest] { onRequest(); });
}

} // namespace platform
