#include "platform/DesktopNotices.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QHash>
#include <QObject>
#include <QVariantMap>

namespace platform::desktop {
namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString openFolderKey = QStringLiteral("open-folder");
// A desktop without the service must not hold a batch's end up for long.
constexpr int callTimeoutMs = 1000;

QDBusMessage call(const QString &method, const QVariantList &arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, service, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, callTimeoutMs);
}

// Remembers which notification shows which folder, until the user picks its
// action or the notification goes.
class FolderActions : public QObject {
    Q_OBJECT

public:
    static FolderActions &instance()
    {
        static FolderActions actions;
        return actions;
    }

    void remember(uint id, const QString &folder, const std::function<void(const QUrl &)> &open)
    {
        listen();
        m_folders.insert(id, {folder, open});
    }

public Q_SLOTS:
    void actionInvoked(uint id, const QString &key)
    {
        const auto it = m_folders.constFind(id);
        if (it == m_folders.cend() || key != openFolderKey)
            return;
        it->open(QUrl::fromLocalFile(it->folder));
    }
    void notificationClosed(uint id, uint) { m_folders.remove(id); }

private:
    void listen()
    {
        if (m_listening)
            return;
        QDBusConnection bus = QDBusConnection::sessionBus();
        m_listening = bus.connect(service, path, service, QStringLiteral("ActionInvoked"), this,
                                  SLOT(actionInvoked(uint, QString)));
        bus.connect(service, path, service, QStringLiteral("NotificationClosed"), this,
                    SLOT(notificationClosed(uint, uint)));
    }

    struct Shown {
        QString folder;
        std::function<void(const QUrl &)> open;
    };
    QHash<uint, Shown> m_folders;
    bool m_listening = false;
};

bool offersActions()
{
    const QDBusReply<QStringList> capabilities = call(QStringLiteral("GetCapabilities"));
    return capabilities.isValid() && capabilities.value().contains(QStringLiteral("actions"));
}

} // namespace

bool postNotice(const QString &summary, const QString &body, const QString &folder,
                const std::function<void(const QUrl &)> &open)
{
    if (!QDBusConnection::sessionBus().isConnected())
        return false;
    const bool withFolder = !folder.isEmpty() && offersActions();
    const QStringList actions = withFolder ? QStringList{openFolderKey, QStringLiteral("Open folder")} : QStringList();
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("movarel")}};
    const QDBusReply<uint> id =
        call(QStringLiteral("Notify"),
             {QStringLiteral("Movarel"), 0u, QStringLiteral("movarel"), summary, body, actions, hints, -1});
    if (!id.isValid())
        return false;
    if (withFolder)
        FolderActions::instance().remember(id.value(), folder, open);
    return true;
}

void publishLauncherProgress(double progress, bool visible)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage update =
        QDBusMessage::createSignal(QStringLiteral("/com/canonical/unity/launcherentry/movarel"),
                                   QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    const QVariantMap properties{{QStringLiteral("progress"), qBound(0.0, progress, 1.0)},
                                 {QStringLiteral("progress-visible"), visible}};
    update << QStringLiteral("application://movarel.desktop") << properties;
    bus.send(update);
}

} // namespace platform::desktop

#include "DesktopNotices_linux.moc"
