#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <utility>

namespace platform {

QString instanceKey(const QString &dataFolder)
{
    QString folder = QFileInfo(dataFolder).canonicalFilePath();
    if (folder.isEmpty())
        folder = QDir::cleanPath(QDir(dataFolder).absolutePath());
    // 64 bits: two folders of one user never meet by chance.
    return QString::fromLatin1(QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256).toHex().left(16));
}

QStringList fileAddresses(const QStringList &files)
{
    QStringList uris;
    for (const QString &file : files)
        uris.append(QString::fromLatin1(QUrl::fromLocalFile(file).toEncoded()));
    return uris;
}

InstanceServer::InstanceServer()
{
    m_channels.setObjectName(QStringLiteral("instance channels"));
}

InstanceServer::~InstanceServer()
{
    m_channels.quit();
    m_channels.wait();
}

void InstanceServer::adopt(QObject *channel)
{
    connect(&m_channels, &QThread::finished, channel, &QObject::deleteLater);
    channel->moveToThread(&m_channels);
    if (!m_channels.isRunning())
        m_channels.start();
}

void InstanceServer::startDelivering()
{
    m_delivering = true;
    const QList<QStringList> held = std::exchange(m_held, {});
    for (const QStringList &uris : held)
        deliver(uris);
}

void InstanceServer::receive(const QStringList &uris, const QString &activationToken)
{
    QMetaObject::invokeMethod(
        this, [this, uris, activationToken] { take(uris, activationToken); }, Qt::QueuedConnection);
}

void InstanceServer::take(const QStringList &uris, const QString &activationToken)
{
    // Qt's Wayland windows take the focus with the token found here.
    if (!activationToken.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    if (m_delivering)
        deliver(uris);
    else
        m_held.append(uris);
}

void InstanceServer::deliver(const QStringList &uris)
{
    QStringList files;
    for (const QString &uri : uris) {
        const QUrl address(uri);
        if (address.isLocalFile())
            files.append(address.toLocalFile());
    }
    if (files.isEmpty())
        Q_EMIT activateRequested();
    else
        Q_EMIT openRequested(files);
}

} // namespace platform
