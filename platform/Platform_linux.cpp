#include "platform/Platform.h"

#include "platform/DesktopNotices.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>
#include <QDesktopServices>
#include <QProcess>

#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <unistd.h>

namespace platform {
namespace {

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
        // What the folder opens through is asked when the user picks it: the
        // platform in use then, which tests replace.
        return desktop::postNotice(notice.summary, notice.body, notice.folderToOpen,
                                   [](const QUrl &folder) { current().openUrl(folder); });
    }

    void publishLauncherProgress(double progress, bool visible) override
    {
        desktop::publishLauncherProgress(progress, visible);
    }
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
