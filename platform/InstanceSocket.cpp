#include "platform/InstanceSocket.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QtEndian>

#include <memory>

namespace platform::instance {
namespace {

// A request is its length (4 bytes, big-endian), then the addresses in UTF-8,
// one a line (file: addresses hold no line break); none asks for the window.
// The running program answers with one byte once it has taken them.
constexpr qsizetype lengthBytes = 4;
constexpr quint32 longestRequest = 64 * 1024 * 1024;
constexpr char taken = '\x01';

QByteArray requestFrom(const QStringList &uris)
{
    const QByteArray text = uris.join(QLatin1Char('\n')).toUtf8();
    QByteArray frame(lengthBytes, Qt::Uninitialized);
    qToBigEndian<quint32>(quint32(text.size()), frame.data());
    return frame + text;
}

QStringList urisFrom(const QByteArray &text)
{
    return text.isEmpty() ? QStringList() : QString::fromUtf8(text).split(QLatin1Char('\n'));
}

// Reads one request off a later start's connection, answers it and lets go.
void serveConnection(QLocalSocket *socket, const std::function<void(const QStringList &)> &receive)
{
    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    auto buffer = std::make_shared<QByteArray>();
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, buffer, receive] {
        buffer->append(socket->readAll());
        if (buffer->size() < lengthBytes)
            return;
        const quint32 length = qFromBigEndian<quint32>(buffer->constData());
        if (length > longestRequest) {
            socket->abort();
            return;
        }
        if (buffer->size() < lengthBytes + qsizetype(length))
            return;
        receive(urisFrom(buffer->mid(lengthBytes, length)));
        socket->write(&taken, 1);
        socket->disconnectFromServer();
    });
}

enum class Answer { Taken, Silent, Nobody };

Answer handOver(const QString &socketPath, const QStringList &uris)
{
    const QDeadlineTimer deadline(answerTimeoutMs);
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(deadline.remainingTime())) {
        // Refused or missing: nobody listens, whatever file is left there.
        // A full queue or a slow answer: somebody does.
        const bool listening = socket.error() == QLocalSocket::SocketTimeoutError;
        return listening ? Answer::Silent : Answer::Nobody;
    }
    socket.write(requestFrom(uris));
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(deadline.remainingTime()))
            return Answer::Silent;
    }
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(deadline.remainingTime()))
            return Answer::Silent;
    }
    return socket.read(1).at(0) == taken ? Answer::Taken : Answer::Silent;
}

QLocalServer *listen(const QString &socketPath, const std::function<void(const QStringList &)> &receive)
{
    auto *server = new QLocalServer;
    server->setSocketOptions(QLocalServer::UserAccessOption);
    // Left behind by a program that ended without closing it.
    QLocalServer::removeServer(socketPath);
    if (!server->listen(socketPath)) {
        delete server;
        return nullptr;
    }
    QObject::connect(server, &QLocalServer::newConnection, server, [server, receive] {
        while (QLocalSocket *socket = server->nextPendingConnection())
            serveConnection(socket, receive);
    });
    return server;
}

} // namespace

SocketClaim claimSocket(const QString &socketPath, const QString &lockPath, const QStringList &uris,
                        const std::function<void(QObject *listener)> &keep,
                        const std::function<void(const QStringList &)> &receive)
{
    // Two starts at once: the second waits until the first listens. One that
    // hangs while it holds the lock does not hold the others up for long.
    QLockFile claiming(lockPath);
    claiming.tryLock(answerTimeoutMs);
    switch (handOver(socketPath, uris)) {
    case Answer::Taken:
        return SocketClaim::HandedOver;
    case Answer::Silent:
        return SocketClaim::Alone;
    case Answer::Nobody:
        break;
    }
    QLocalServer *listener = listen(socketPath, receive);
    if (!listener)
        return SocketClaim::Alone;
    keep(listener);
    return SocketClaim::Serving;
}

} // namespace platform::instance
