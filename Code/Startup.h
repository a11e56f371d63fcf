#pragma once

#include <QString>
#include <QStringList>

// Creates the global service objects in their order and fills RecSoftInfo.
// Runs once, from the splash.
void RunStartupSequence();
// The main window's caption: product name and version text.
QString ApplicationCaption();
// Names the application for message box captions ("Movarel") and the
// desktop's menu entry, without a display name: Qt would add that to every
// window title, and the main window's title is its caption alone.
void SetApplicationNames();

// The files named on the command line (a file manager's "Open With"): paths,
// relative ones taken from `currentFolder`, or file: addresses.
QStringList FilesFromArguments(const QStringList &arguments, const QString &currentFolder);

// "1.4" for a program whose file version is 1.4.0.0; empty when there is none.
QString ReadVersionText(const QString &programFileName);
// The same rule over a version string.
QString VersionTextOf(const QString &fileVersion);
