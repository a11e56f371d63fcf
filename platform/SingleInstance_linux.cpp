#include "platform/SingleInstance.h"

#include "platform/InstanceSocket.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QVariantMap>

namespace platform {
namespace {

const QString applicationInterface = QStringLiteral("org.freedesktop.Application");
// The longest path a local socket's address holds, without its closing zero.
constexpr qsizetype longestSocketPath = 107;

QString busNameFor(const QString &key)
{
    // A bus name's parts may not start with a digit.
    return QStringLiteral("org.movarel.Movarel.i") + key;
}

// The desktop's rule: the object path spells the bus name.
QString objectPathFor(const QString &busName)
{
    return QLatin1Char('/') + QString(busName).replace(QLatin1Char('.'), QLatin1Char('/'));
}

// The socket for the folder: in the folder itself, or in the user's runtime
// folder under `key` when the folder's path is too long for a socket's name or
// the folder cannot take it (a portable copy on a read-only medium).
QString socketPathFor(const QString &dataFolder, const QString &key)
{
    const QString inFolder = QDir(dataFolder).filePath(QStringLiteral(".movarel-instance"));
    if (QFile::encodeName(inFolder).size() <= longestSocketPath && QFileInfo(dataFolder).isWritable())
        return inFolder;
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        runtime = QDir::tempPath();
    return QDir(runtime).filePath(QStringLiteral("movarel-") + key);
}

// What the desktop hands a started program so that it may take the focus.
QVariantMap activationData()
{
    QVariantMap data;
    const QString token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    if (!token.isEmpty())
        data.insert(QStringLiteral("activation-token"), token);
    const QString startupId = qEnvironmentVariable("DESKTOP_STARTUP_ID");
    if (!startupId.isEmpty())
        data.insert(QStringLiteral("desktop-startup-id"), startupId);
    return data;
}

// The running program on the session bus, as org.freedesktop.Application.
class ApplicationObject : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    explicit ApplicationObject(InstanceServer *server) : m_server(server) {}

public Q_SLOTS:
    void Activate(const QVariantMap &platformData) { Open({}, platformData); }
    void Open(const QStringList &uris, const QVariantMap &platformData)
    {
        m_server->receive(uris, platformData.value(QStringLiteral("activation-token")).toString());
    }
    // The program has no actions of its own: any brings the window up.
    void ActivateAction(const QString &, const QVariantList &, const QVariantMap &platformData)
    {
        Activate(platformData);
    }

private:
    InstanceServer *m_server;
};

bool serveOnBus(QDBusConnection &bus, const QString &name, InstanceServer *server)
{
    auto *object = new ApplicationObject(server);
    // The object first: a start that finds the name finds it answering.
    if (!bus.registerObject(objectPathFor(name), object, QDBusConnection::ExportAllSlots)) {
        delete object;
        return false;
    }
    server->adopt(object);
    if (bus.registerService(name))
        return true;
    bus.unregisterObject(objectPathFor(name));
    return false;
}

void leaveBus(QDBusConnection &bus, const QString &name)
{
    bus.unregisterService(name);
    bus.unregisterObject(objectPathFor(name));
}

enum class BusAnswer { Taken, Silent, Refused };

BusAnswer handOverOnBus(QDBusConnection &bus, const QString &name, const QStringList &uris)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(name, objectPathFor(name), applicationInterface,
                                       uris.isEmpty() ? QStringLiteral("Activate") : QStringLiteral("Open"));
    if (!uris.isEmpty())
        call << uris;
    call << activationData();
    const QDBusMessage reply = bus.call(call, QDBus::Block, instance::answerTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return BusAnswer::Taken;
    const QDBusError::ErrorType error = QDBusError(reply).type();
    const bool silent = error == QDBusError::NoReply || error == QDBusError::Timeout || error == QDBusError::TimedOut;
    return silent ? BusAnswer::Silent : BusAnswer::Refused;
}

} // namespace

// The session bus first, where the desktop looks; the socket in the data
// folder for starts without a bus, and for a bus name whose owner is gone.
InstanceClaim claimInstance(const QString &dataFolder, const QStringList &files)
{
    const QString key = instanceKey(dataFolder);
    const QStringList uris = fileAddresses(files);
    auto server = std::make_unique<InstanceServer>();
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString name = busNameFor(key);
    bool onBus = false;
    if (bus.isConnected()) {
        BusAnswer answer = BusAnswer::Refused;
        // The name's owner may leave without answering, having handed its own
        // files to a program it found on the socket: the name is free again.
        for (int attempt = 0; attempt < 2; ++attempt) {
            onBus = serveOnBus(bus, name, server.get());
            answer = onBus ? BusAnswer::Refused : handOverOnBus(bus, name, uris);
            if (answer != BusAnswer::Silent || bus.interface()->isServiceRegistered(name))
                break;
        }
        if (answer == BusAnswer::Taken)
            return {.handedOver = true, .server = nullptr};
        // It hangs, and its socket would keep this start waiting as long again.
        if (answer == BusAnswer::Silent)
            return {};
    }
    InstanceServer *receiver = server.get();
    const QString socketPath = socketPathFor(dataFolder, key);
    switch (instance::claimSocket(
        socketPath, socketPath + QStringLiteral(".lock"), uris,
        [receiver](QObject *listener) { receiver->adopt(listener); },
        [receiver](const QStringList &request) { receiver->receive(request); })) {
    case instance::SocketClaim::HandedOver:
        if (onBus)
            leaveBus(bus, name);
        return {.handedOver = true, .server = nullptr};
    case instance::SocketClaim::Serving:
        break;
    case instance::SocketClaim::Alone:
        if (!onBus)
            server.reset();
        break;
    }
    return {.handedOver = false, .server = std::move(server)};
}

} // namespace platform

#include "SingleInstance_linux.moc"
