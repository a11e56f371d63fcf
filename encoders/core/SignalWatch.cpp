#include "SignalWatch.h"

#include "EncoderError.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>

namespace encoder {

SignalWatch::SignalWatch()
{
    ::sigemptyset(&m_watched);
    ::sigaddset(&m_watched, SIGTERM);
    ::sigaddset(&m_watched, SIGINT);
    ::sigaddset(&m_watched, SIGHUP);
    ::signal(SIGPIPE, SIG_IGN);
    ::sigprocmask(SIG_BLOCK, &m_watched, &m_previous);
    m_descriptor = ::signalfd(-1, &m_watched, SFD_CLOEXEC | SFD_NONBLOCK);
    if (m_descriptor < 0)
        throw EncoderError(std::string("cannot watch for signals: ") + std::strerror(errno));
}

SignalWatch::~SignalWatch()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    ::sigprocmask(SIG_SETMASK, &m_previous, nullptr);
}

int SignalWatch::take()
{
    signalfd_siginfo info{};
    if (::read(m_descriptor, &info, sizeof info) != static_cast<ssize_t>(sizeof info))
        return 0;
    return static_cast<int>(info.ssi_signo);
}

void SignalWatch::dieBy(int signal)
{
    ::signal(signal, SIG_DFL);
    sigset_t only;
    ::sigemptyset(&only);
    ::sigaddset(&only, signal);
    ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signal);
    std::_Exit(128 + signal);
}

} // namespace encoder
