#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// The session bus's desktop services behind Platform's notice and launcher
// operations.
namespace platform::desktop {

// org.freedesktop.Notifications, with an "Open folder" action showing `folder`
// (through `open`, when the user picks it) where the server offers actions.
// False, with nothing shown, without the service.
bool postNotice(const QString &summary, const QString &body, const QString &folder,
                const std::function<void(const QUrl &)> &open);
// com.canonical.Unity.LauncherEntry's Update signal for movarel.desktop.
void publishLauncherProgress(double progress, bool visible);

} // namespace platform::desktop
