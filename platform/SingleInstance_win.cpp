#include "platform/SingleInstance.h"

#ifdef _WIN32
#include "platform/InstanceSocket.h"

#include <QDir>

namespace platform {

// A named pipe of the user's session, named after the data folder.
InstanceClaim claimInstance(const QString &dataFolder, const QStringList &files)
{
    auto server = std::make_unique<InstanceServer>();
    InstanceServer *receiver = server.get();
    const QString name = QStringLiteral("movarel-") + instanceKey(dataFolder);
    switch (instance::claimSocket(
        name, QDir::temp().filePath(name + QStringLiteral(".lock")), fileAddresses(files),
        [receiver](QObject *listener) { receiver->adopt(listener); },
        [receiver](const QStringList &request) { receiver->receive(request); })) {
    case instance::SocketClaim::HandedOver:
        return {.handedOver = true, .server = nullptr};
    case instance::SocketClaim::Serving:
        return {.handedOver = false, .server = std::move(server)};
    case instance::SocketClaim::Alone:
        break;
    }
    return {};
}

} // namespace platform
#endif
