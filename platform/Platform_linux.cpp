#include "platform/DesktopNotices_linux.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <unistd.h>

namespace platform {
namespace {

// Third field of /proc/<pid>/stat, after the parenthesised command name.
QChar processState(const QString &procDir)
{
    QFile stat(procDir + QStringLiteral("/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return QChar();
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    if (close < 0 || close + 2 >= text.size())
        return QChar();
    return QChar::fromLatin1(text.at(close + 2));
}

QString executableName(const QString &procDir)
{
    QString target = QFile::symLinkTarget(procDir + QStringLiteral("/exe"));
    const QString deleted = QStringLiteral(" (deleted)");
    if (target.endsWith(deleted))
        target.chop(deleted.size());
    if (!target.isEmpty())
        return QFileInfo(target).fileName();
    // Other users' processes hide their exe link; their short name is still readable.
    QFile comm(procDir + QStringLiteral("/comm"));
    if (!comm.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(comm.readAll()).trimmed();
}

// A systemd-logind inhibitor lock: held while the descriptor is open.
class LogindInhibitor final : public SleepInhibitor {
public:
    explicit LogindInhibitor(int fd) : m_fd(fd) {}
    ~LogindInhibitor() override { ::close(m_fd); }

private:
    int m_fd;
};

// The desktop's screen saver, asked over the session bus; the cookie gives
// the hold back.
class ScreenSaverInhibitor final : public SleepInhibitor {
public:
    explicit ScreenSaverInhibitor(uint cookie) : m_cookie(cookie) {}
    ~ScreenSaverInhibitor() override
    {
        QDBusInterface saver(QStringLiteral("org.freedesktop.ScreenSaver"),
                             QStringLiteral("/org/freedesktop/ScreenSaver"),
                             QStringLiteral("org.freedesktop.ScreenSaver"), QDBusConnection::sessionBus());
        if (saver.isValid())
            saver.call(QDBus::NoBlock, QStringLiteral("UnInhibit"), m_cookie);
    }

private:
    uint m_cookie;
};

class LinuxPlatform final : public Platform {
public:
    ~LinuxPlatform() override { delete m_notices; }

    QList<ProcessEntry> runningProcesses() override
    {
        QList<ProcessEntry> result;
        const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &name : entries) {
            bool numeric = false;
            const qint64 pid = name.toLongLong(&numeric);
            if (!numeric)
                continue;
            const QString dir = QStringLiteral("/proc/") + name;
            const QChar state = processState(dir);
            // Ended processes nobody reaped linger as zombies; they no longer run.
            if (state.isNull() || state == QLatin1Char('Z') || state == QLatin1Char('X'))
                continue;
            const QString exe = executableName(dir);
            if (!exe.isEmpty())
                result.append({pid, exe});
        }
        return result;
    }

    bool terminateProcess(qint64 pid) override { return pid > 0 && ::kill(static_cast<pid_t>(pid), SIGKILL) == 0; }

    bool powerOff() override
    {
        QDBusInterface manager(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                               QStringLiteral("org.freedesktop.login1.Manager"), QDBusConnection::systemBus());
        if (manager.isValid()) {
            const QDBusMessage reply = manager.call(QStringLiteral("PowerOff"), false);
            if (reply.type() != QDBusMessage::ErrorMessage)
                return true;
        }
        return QProcess::startDetached(QStringLiteral("systemctl"), {QStringLiteral("poweroff")});
    }

    bool openUrl(const QUrl &url) override { return QDesktopServices::openUrl(url); }

    void trimWorkingSet() override { ::malloc_trim(0); }

    std::unique_ptr<SleepInhibitor> preventSleep(const QString &reason) override
    {
        QDBusInterface manager(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                               QStringLiteral("org.freedesktop.login1.Manager"), QDBusConnection::systemBus());
        if (!manager.isValid())
            return nullptr;
        const QDBusReply<QDBusUnixFileDescriptor> reply =
            manager.call(QStringLiteral("Inhibit"), QStringLiteral("sleep:idle"), QStringLiteral("Movarel"), reason,
                         QStringLiteral("block"));
        if (!reply.isValid() || !reply.value().isValid())
            return nullptr;
        const int fd = ::dup(reply.value().fileDescriptor());
        if (fd < 0)
            return nullptr;
        return std::make_unique<LogindInhibitor>(fd);
    }

    std::unique_ptr<SleepInhibitor> preventScreenSaver(const QString &reason) override
    {
        if (!QDBusConnection::sessionBus().isConnected())
            return nullptr;
        QDBusInterface saver(QStringLiteral("org.freedesktop.ScreenSaver"),
                             QStringLiteral("/org/freedesktop/ScreenSaver"),
                             QStringLiteral("org.freedesktop.ScreenSaver"), QDBusConnection::sessionBus());
        if (!saver.isValid())
            return nullptr;
        const QDBusReply<uint> cookie = saver.call(QStringLiteral("Inhibit"), QStringLiteral("Movarel"), reason);
        if (!cookie.isValid())
            return nullptr;
        return std::make_unique<ScreenSaverInhibitor>(cookie.value());
    }

    void endProcess(int exitCode) override
    {
        std::fflush(nullptr);
        std::_Exit(exitCode);
    }

    bool postNotice(const DesktopNotice &notice) override
    {
        if (!m_notices) {
            if (!QCoreApplication::instance())
                return false;
            // Owned by the application, so that it leaves the bus before the
            // bus machinery is torn down at exit.
            m_notices = new DesktopNotices(QCoreApplication::instance());
        }
        return m_notices->post(notice);
    }

    void publishLauncherProgress(double progress, bool visible) override { publishLauncherEntry(progress, visible); }

private:
    QPointer<DesktopNotices> m_notices;
};

} // namespace

std::unique_ptr<Platform> createSystemPlatform()
{
    return std::make_unique<LinuxPlatform>();
}

QString executableSuffix()
{
    return QString();
}

} // namespace platform
