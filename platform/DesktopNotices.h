#pragma once

#include "platform/Platform.h"

// The session bus's desktop services behind Platform's notice and launcher
// operations.
namespace platform::desktop {

// org.freedesktop.Notifications; the platform in use opens the folder when the
// user picks "Open folder".
bool postNotice(const DesktopNotice &notice);
// com.canonical.Unity.LauncherEntry's Update signal for movarel.desktop.
void publishLauncherProgress(double progress, bool visible);

} // namespace platform::desktop
