#pragma once

#include <functional>

class QObject;

namespace platform {

// Calls `onRequest` on the event loop of `context`'s thread when the system
// asks the program to end (SIGTERM at a session's end, SIGHUP when its
// terminal goes, SIGINT); the program then ends in good order instead of at
// once. Call it once.
void watchTerminationRequests(QObject *context, std::function<void()> onRequest);

} // namespace platform
