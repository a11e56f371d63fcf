#pragma once

#include <QObject>
#include <QStringList>
#include <QThread>

#include <memory>

// One running program per data folder: a later start hands its files to the
// program already running on the same folder and ends.
namespace platform {

// The running program's side: what later starts hand over. Requests wait
// until startDelivering(), so none is lost while the windows are made.
class InstanceServer : public QObject {
    Q_OBJECT

public:
    InstanceServer();
    ~InstanceServer() override;

    // From now on requests reach the signals; held ones go first, in order.
    void startDelivering();
    // Called by the channels later starts reach this program through, from
    // any thread: file: addresses to open, none to bring the window up, and
    // the desktop's activation token the later start was given, if any.
    void receive(const QStringList &uris, const QString &activationToken = QString());
    // The channels answer on a thread of their own, so that later starts are
    // not kept waiting while the windows are busy: `channel` moves there and
    // ends with the server.
    void adopt(QObject *channel);

Q_SIGNALS:
    void openRequested(const QStringList &files);
    void activateRequested();

private:
    void take(const QStringList &uris, const QString &activationToken);
    void deliver(const QStringList &uris);

    QThread m_channels;
    bool m_delivering = false;
    QList<QStringList> m_held;
};

struct InstanceClaim {
    // The program running on the folder took the files: this start ends.
    bool handedOver = false;
    // Set when this start is the program others hand over to; null when it
    // runs alone because the running one did not answer in time.
    std::unique_ptr<InstanceServer> server;
};

// What the program running on a data folder is known by: the same for every
// path to the folder, and fit for a bus name or a file name.
QString instanceKey(const QString &dataFolder);
// file: addresses of local paths, whatever characters the paths hold.
QStringList fileAddresses(const QStringList &files);

// Hands `files` (none: bring the running window up) to the program running
// on `dataFolder`, or becomes that program. Blocks for at most a few seconds.
InstanceClaim claimInstance(const QString &dataFolder, const QStringList &files);

} // namespace platform
