#pragma once

#include <csignal>

namespace encoder {

// Turns SIGTERM, SIGINT and SIGHUP into a readable descriptor for the poll
// loop while the object lives, and makes writes to a closed pipe fail with
// EPIPE instead of ending the encoder (the encode goes on if nobody reads).
class SignalWatch {
public:
    SignalWatch();
    ~SignalWatch();
    SignalWatch(const SignalWatch &) = delete;
    SignalWatch &operator=(const SignalWatch &) = delete;

    int descriptor() const { return m_descriptor; }
    // The signal waiting on the descriptor, 0 when there is none.
    int take();
    // Ends the process by the signal with its default action.
    [[noreturn]] void dieBy(int signal);

private:
    sigset_t m_watched{};
    sigset_t m_previous{};
    int m_descriptor = -1;
};

} // namespace encoder
