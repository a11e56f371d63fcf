#pragma once

#include <QString>

// Creates the global service objects in their order and fills RecSoftInfo;
// sets the main window's caption. Runs once, from the splash.
void RunStartupSequence();

// "1.4" for a program whose file version is 1.4.0.0; empty when there is none.
QString ReadVersionText(const QString &programFileName);
// The same rule over a version string.
QString VersionTextOf(const QString &fileVersion);

// Creates the four windows, hidden, in their order.
void CreateApplicationWindows();
