#include "platform/TerminationRequests.h"

#include <QObject>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

// The handler may only write: the event loop reads the pipe and acts.
int requestPipe[2] = {-1, -1};

void noteRequest(int)
{
    const char request = 1;
    [[maybe_unused]] const ssize_t written = ::write(requestPipe[1], &request, 1);
}

} // namespace

void watchTerminationRequests(QObject *context, std::function<void()> onRequest)
{
    if (requestPipe[0] >= 0 || ::pipe2(requestPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto *notifier = new QSocketNotifier(requestPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [onRequest = std::move(onRequest)] {
        char requests[16];
        while (::read(requestPipe[0], requests, sizeof requests) > 0) {
        }
        onRequest();
    });
    struct sigaction action {};
    action.sa_handler = noteRequest;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signalNumber, &action, nullptr);
}

} // namespace platform
