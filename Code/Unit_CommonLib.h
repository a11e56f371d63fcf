#pragma once

#include <QString>

class QWidget;

// Message box kinds of ShowNotice.
enum TNoticeKind { nkError = 0, nkWarning = 1, nkQuestion = 2, nkInformation = 3 };

// Shared program logic used by the windows' handlers. One instance, created
// at start-up; it records the program folder on creation.
class TCommonLib {
public:
    TCommonLib();

    QString ProgramFolder;
    QString PreviewFile; // file loaded in the player, empty when none

    // Modal box captioned with the application title; false (nothing shown)
    // for a kind outside 0..3.
    bool ShowNotice(const QString &message, int kind) const;

    // Lets the user pick an output folder that can be written to; returns the
    // folder to use, `current` when nothing usable was picked.
    QString SelectOutputFolder(const QString &current) const;
};

// The folder picker: true with `folder` set when the user confirmed a folder.
// `folder` is the preselection when it names an existing folder.
bool BrowseForFolder(const QString &title, const QString &root, QString &folder);

// The window that owns the program's boxes (the main window once it exists).
QWidget *NoticeOwner();
