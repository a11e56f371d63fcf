#pragma once

class QWidget;

// The main window's system commands; they read RecSoftInfo and report nothing
// when the desktop cannot open the target.
void OpenHomePage();
void SendSupportEmail();
void OpenHelpFile();
void ShowAboutBox(QWidget *owner);
