#pragma once

#include <QString>

// Program logic that carries state between events: the user settings for
// now; the batch counters, player state and trim fields join it later.
class TCustomProc {
public:
    // The settings file beside the program.
    static QString UserSettingsFile();

    // Sets the two completion boxes and the output folder box from the file.
    void LoadUserSettings();
    // Writes the two completion boxes and the output folder box.
    // Throws EFCreateError when the file cannot be written.
    void SaveUserSettings();
    // The folder the open-file dialog starts in.
    QString ReadInitDir();
    // Stores the folder of the open-file dialog's last chosen file, if any.
    void WriteInitDir();
};

// Defaults that stand for the system drive elsewhere: the home folder.
QString DefaultInitDir();
QString DefaultOutputFolderText();
