#pragma once

#include <QString>
#include <QStringList>

#include <exception>

// The program's diagnostic log, log.txt in the data folder (beside the
// program, or the user's own when the program folder cannot be written).
class TAppFunc {
public:
    // Appends one line to log.txt. A line that cannot be written is dropped:
    // logging must never stop the work it describes. Returns false then.
    bool WriteLog(const QString &message) const;
    // The line as it is written, without the line break.
    static QString LogLine(const QString &message);
    // An error that is handled without telling the user (the preview's engine
    // failing, say) still leaves its reason here.
    bool WriteCaughtError(const QString &context, const std::exception &error) const;
};

class TStrFunc {
public:
    // The part after the last `separator`, or the whole text when there is none.
    static QString TextAfterLast(const QString &text, QChar separator);
};

// File-name helpers that find a free output name.
class TFileFunc {
public:
    // The path up to and including its last separator; empty when there is none.
    static QString GetFileFolder(const QString &path);
    // From the last "." of the file name on, the "." included; empty without one.
    static QString GetFileExtension(const QString &path);
    // The file name without its last extension; empty for a name without ".".
    static QString GetFileBaseName(const QString &path);
    // Entries of `folder` (which ends with a separator), each as folder + name,
    // plain folders left out; only names ending in `extension` when it is given.
    static QStringList ListFolderFiles(const QString &folder, const QString &extension);
    // `path`, or the first of path_1, path_2, ... whose base name no entry of
    // its folder carries, whatever that entry's extension.
    static QString MakeUniqueFileName(const QString &path);
};

// Pieces of `text` between separators, empty pieces left out.
void SplitText(const QString &text, QChar separator, QStringList &list);
