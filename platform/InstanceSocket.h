#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

// The local socket a data folder's running program listens on: what a later
// start reaches it through where there is no session bus.
namespace platform::instance {

// How long a later start waits for the running program's answer; one that
// hangs must not hold the start up.
constexpr int answerTimeoutMs = 2000;

enum class SocketClaim {
    HandedOver, // the program listening took the addresses
    Serving,    // this start listens now
    Alone       // somebody holds the socket but did not answer in time
};

// Hands `uris` to the program listening on `socketPath`, or listens there:
// `keep` takes the listener, which passes what later starts send to
// `receive`. A socket left behind by a program that ended without closing it
// is replaced. Starts claim one after the other, through the lock file at
// `lockPath`.
SocketClaim claimSocket(const QString &socketPath, const QString &lockPath, const QStringList &uris,
                        const std::function<void(QObject *listener)> &keep,
                        const std::function<void(const QStringList &)> &receive);

} // namespace platform::instance
