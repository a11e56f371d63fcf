#pragma once

// A session bus of the test's own: a dbus-daemon started for the test, its
// address in DBUS_SESSION_BUS_ADDRESS for the test and the programs it starts.
// The daemon ends with the object.

#include <QDeadlineTimer>
#include <QProcess>
#include <QString>

class PrivateSessionBus {
public:
    ~PrivateSessionBus()
    {
        m_daemon.terminate();
        m_daemon.waitForFinished(5000);
    }

    // False when dbus-daemon could not be started (not installed).
    bool start()
    {
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (!m_daemon.waitForStarted(5000))
            return false;
        const QDeadlineTimer deadline(10000);
        while (!m_daemon.canReadLine()) {
            if (!m_daemon.waitForReadyRead(int(deadline.remainingTime())))
                return false;
        }
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
        return true;
    }

    QString address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};
