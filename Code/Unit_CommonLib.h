#pragma once

#include <QString>
#include <QStringList>

class QWidget;
class TFilterGraph;
class TSourceGrid;

// State of the open-file dialog that outlives one use of it.
struct TOpenDialogState {
    QString InitialDir;
    QString FileName; // first file chosen in the last confirmed use
};

// Message box kinds of ShowNotice.
enum TNoticeKind { nkError = 0, nkWarning = 1, nkQuestion = 2, nkInformation = 3 };

// Shared program logic used by the windows' handlers. One instance, created
// at start-up; it records the program folder on creation.
class TCommonLib {
public:
    TCommonLib();

    QString ProgramFolder;

    // Modal box captioned with the application title; false (nothing shown)
    // for a kind outside 0..3.
    bool ShowNotice(const QString &message, int kind) const;

    // Lets the user pick an output folder that can be written to; returns the
    // folder to use, `current` when nothing usable was picked.
    QString SelectOutputFolder(const QString &current) const;

    // Memory of the process handed back to the system; needs no other service.
    static void TrimWorkingSet();

    // --- Source list.
    // Runs the open dialog; the chosen names, duplicates removed when asked;
    // empty when cancelled.
    QStringList PickSourceFiles(TOpenDialogState &dialog, bool removeDuplicates, const QString &initialFolder) const;
    static QStringList RemoveDuplicateNames(const QStringList &names);
    // Measures and appends every new name with an accepted extension and
    // selects the first row; warns about files it cannot measure. Throws
    // EFOpenError when a measured file's length cannot be read (rows added
    // before it stay). The caller lays the trim bar out afterwards.
    void AddSourceFiles(TSourceGrid *list, const QStringList &names);
    // Whole seconds of the file, 0 on any failure.
    static qint64 ProbeDuration(const QString &fileName, TFilterGraph *graph);
    // Throws EFOpenError when the file cannot be opened.
    static qint64 ReadFileSize(const QString &fileName);
    void RemoveSelectedRows(TSourceGrid *list) const;
    bool ClearSourceList(TSourceGrid *list) const;
    // Accepted source extensions, lower case, with the dot.
    static bool IsAcceptedSourceFile(const QString &fileName);
    // The open dialog's filter entries.
    static QString SourceFileFilter();

    // Moves an active graph to an absolute position; nothing without seeking.
    static void SeekPreview(TFilterGraph *graph, qint64 milliseconds);

    // --- What follows a batch.
    void ShowFolderInExplorer(const QString &folder) const;
    void ShutdownComputer() const;

    // --- Files in the Config folder beside the program.
    QString ConfigFile(const QString &name) const;
    // Section names of a Config file in file order; empty when it is missing.
    QStringList ReadConfigSections(const QString &fileName) const;
    // The value of key `name` in section `name`, or empty.
    QString ReadConfigValue(const QString &fileName, const QString &name) const;
};

// The folder picker: true with `folder` set when the user confirmed a folder.
// `folder` is the preselection when it names an existing folder.
bool BrowseForFolder(const QString &title, const QString &root, QString &folder);

// The window that owns the program's boxes (the main window once it exists).
QWidget *NoticeOwner();
void SetNoticeOwner(QWidget *owner);
