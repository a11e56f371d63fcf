#pragma once

#include <QString>

namespace platform {
class InstanceServer;
}

// One program per data folder: later starts on the same folder hand their
// files over to it and end.

// The folder later starts meet on: where the settings and the log are kept.
QString InstanceDataFolder();
// Their files join the main window's list as if dropped there; a start
// without files brings the window up.
void ServeLaterStarts(platform::InstanceServer &server);
