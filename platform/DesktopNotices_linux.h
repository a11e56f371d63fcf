#pragma once

#include "platform/Platform.h"

#include <QHash>
#include <QObject>
#include <QString>

namespace platform {

// Notices through the freedesktop notification service on the session bus.
// Lives as long as the application, because the "Open folder" action of a
// notice can be clicked long after the notice was sent.
class DesktopNotices final : public QObject {
    Q_OBJECT

public:
    explicit DesktopNotices(QObject *parent);

    // False when the service did not answer each call within a second; nothing is shown then.
    bool post(const Platform::DesktopNotice &notice);

private Q_SLOTS:
    // QtDBus delivers bus signals only to slots named by their signature.
    void actionInvoked(uint id, const QString &actionKey);
    void notificationClosed(uint id, uint reason);

private:
    bool listenForActions();

    bool m_listening = false;
    QHash<uint, QString> m_folderOf; // notice id -> folder its action opens
};

// Progress on the launcher entry of movarel.desktop (docks and task bars
// that follow the Unity LauncherEntry signal, e.g. Dash to Dock, Plasma).
void publishLauncherEntry(double progress, bool visible);

} // namespace platform
