#pragma once

#include "platform/Platform.h"

#include <functional>

// The session bus's desktop services behind Platform's notice and launcher
// operations.
namespace platform::desktop {

// org.freedesktop.Notifications; `open` shows the folder when the user picks
// "Open folder".
bool postNotice(const DesktopNotice &notice, const std::function<void(const QUrl &)> &open);
// com.canonical.Unity.LauncherEntry's Update signal for movarel.desktop.
void publishLauncherProgress(double progress, bool visible);

} // namespace platform::desktop
