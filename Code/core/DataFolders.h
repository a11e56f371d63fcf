#pragma once

#include <QString>

// Where the program keeps the files it writes. A program folder whose Config/
// folder can be written keeps everything beside the program (the portable
// layout). An installed program, whose folder the user cannot write, keeps
// the same files with the same names in the user's own folders:
// $XDG_CONFIG_HOME/Movarel/ for the INI files and $XDG_STATE_HOME/Movarel/
// for log.txt and VideoFile.avs (~/.config and ~/.local/state when unset).

// True while the program folder's Config/ can be written.
bool KeepsDataBesideProgram();
// The folder of the INI files, with a trailing separator.
QString ConfigFolder();
// The folder of the log and the script, with a trailing separator.
QString StateFolder();
