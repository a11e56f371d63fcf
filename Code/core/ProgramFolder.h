#pragma once

#include <QString>

// Folder of the running program, with a trailing separator. Every file the
// program keeps beside itself (Config/, log.txt, VideoFile.avs) lives here.
QString ProgramFolder();

// Lets tests run the program's logic against a temporary folder; an empty
// text returns to the real folder.
void OverrideProgramFolder(const QString &folder);

// A folder the user gave: a relative one lies inside the program folder, the
// encoders' working folder, so that every part of the program means the same.
QString ResolveInProgramFolder(const QString &folder);

// The platform's path separator: "/" here, "\" on Windows.
QChar PathSeparator();
// True for the characters that end a folder part of a path on this platform.
bool IsPathDelimiter(QChar c);
