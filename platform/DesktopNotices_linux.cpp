#include "platform/DesktopNotices_linux.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QUrl>
#include <QVariantMap>

#include <cmath>

namespace platform {
namespace {

const QString NoticeService = QStringLiteral("org.freedesktop.Notifications");
const QString NoticePath = QStringLiteral("/org/freedesktop/Notifications");
const QString NoticeInterface = QStringLiteral("org.freedesktop.Notifications");
const QString OpenFolderKey = QStringLiteral("open-folder");
// Long enough for a service the bus must first start, short enough that a
// desktop without one does not hold up the end of a batch.
constexpr int CallTimeoutMs = 1000;

QDBusMessage callNotices(const QString &method, const QVariantList &arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(NoticeService, NoticePath, NoticeInterface, method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, CallTimeoutMs);
}

} // namespace

DesktopNotices::DesktopNotices(QObject *parent) : QObject(parent) {}

bool DesktopNotices::post(const Platform::DesktopNotice &notice)
{
    if (!QDBusConnection::sessionBus().isConnected())
        return false;
    const QDBusMessage capabilities = callNotices(QStringLiteral("GetCapabilities"), {});
    if (capabilities.type() != QDBusMessage::ReplyMessage || capabilities.arguments().isEmpty())
        return false;
    const bool offersActions = capabilities.arguments().constFirst().toStringList().contains(QStringLiteral("actions"));
    const bool withAction = offersActions && !notice.folderToOpen.isEmpty() && listenForActions();

    QStringList actions;
    if (withAction)
        actions << OpenFolderKey << tr("Open folder");
    // The icon by name finds the installed hicolor icon; desktop-entry lets
    // the desktop group the notice with the program's launcher.
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("movarel")}};
    const QDBusMessage reply =
        callNotices(QStringLiteral("Notify"), {QStringLiteral("Movarel"), 0u, QStringLiteral("movarel"), notice.summary,
                                               notice.body, actions, hints, -1});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    if (withAction)
        m_folderOf.insert(reply.arguments().constFirst().toUInt(), notice.folderToOpen);
    return true;
}

bool DesktopNotices::listenForActions()
{
    if (m_listening)
        return true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    m_listening = bus.connect(NoticeService, NoticePath, NoticeInterface, QStringLiteral("ActionInvoked"), this,
                              SLOT(actionInvoked(uint, QString))) &&
                  bus.connect(NoticeService, NoticePath, NoticeInterface, QStringLiteral("NotificationClosed"), this,
                              SLOT(notificationClosed(uint, uint)));
    return m_listening;
}

void DesktopNotices::actionInvoked(uint id, const QString &actionKey)
{
    // The signal goes to every program on the bus: only our notices count.
    if (actionKey != OpenFolderKey || !m_folderOf.contains(id))
        return;
    current().openUrl(QUrl::fromLocalFile(m_folderOf.value(id)));
}

void DesktopNotices::notificationClosed(uint id, uint)
{
    m_folderOf.remove(id);
}

void publishLauncherEntry(double progress, bool visible)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage update =
        QDBusMessage::createSignal(QStringLiteral("/org/movarel/LauncherEntry"),
                                   QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    const double shown = std::isnan(progress) ? 0.0 : qBound(0.0, progress, 1.0);
    const QVariantMap properties{{QStringLiteral("progress"), shown}, {QStringLiteral("progress-visible"), visible}};
    update << QStringLiteral("application://movarel.desktop") << properties;
    bus.send(update);
}

} // namespace platform
