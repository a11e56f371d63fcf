#pragma once

#include <QString>

// What the user settings file keeps of the main window: the two boxes for the
// end of a batch and the output folder box's text.
struct TUserSettings {
    bool ShowOutputDirectory = true;
    bool Shutdown = false;
    QString OutputFolder;
};
