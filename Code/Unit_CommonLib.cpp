#include "Code/Unit_CommonLib.h"

#include "Code/core/ProgramFolder.h"
#include "ui/Prompts.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTemporaryDir>

namespace {
QPointer<QWidget> noticeOwner;
} // namespace

TCommonLib::TCommonLib() : ProgramFolder(::ProgramFolder()) {}

QWidget *NoticeOwner()
{
    return noticeOwner;
}

void SetNoticeOwner(QWidget *owner)
{
    noticeOwner = owner;
}

bool TCommonLib::ShowNotice(const QString &message, int kind) const
{
    static const QMessageBox::Icon icons[] = {QMessageBox::Critical, QMessageBox::Warning, QMessageBox::Question,
                                              QMessageBox::Information};
    if (kind < 0 || kind > 3)
        return false;
    ui::prompts().message(NoticeOwner(), icons[kind], message, QMessageBox::Ok, QMessageBox::Ok);
    return true;
}

bool BrowseForFolder(const QString &title, const QString &root, QString &folder)
{
    if (!QFileInfo(folder).isDir())
        folder.clear();
    const QString start = folder.isEmpty() ? root : folder;
    const QString picked = ui::prompts().existingFolder(NoticeOwner(), title, start);
    if (picked.isEmpty())
        return false;
    folder = picked;
    return true;
}

namespace {

// Creating a folder inside the picked one proves that it can be written to.
// An existing "test" folder is left alone and a uniquely named one is tried.
bool canCreateFolderIn(const QString &folder)
{
    const QString probe = folder + PathSeparator() + QStringLiteral("test");
    if (!QFileInfo::exists(probe)) {
        const bool created = QDir().mkpath(probe);
        QDir().rmdir(probe);
        return created;
    }
    QTemporaryDir unique(folder + PathSeparator() + QStringLiteral("test-XXXXXX"));
    return unique.isValid();
}

void createFolder(const QString &folder)
{
    if (!folder.isEmpty())
        QDir().mkpath(ResolveInProgramFolder(folder));
}

} // namespace

QString TCommonLib::SelectOutputFolder(const QString &current) const
{
    QString picked;
    QString choice;
    if (BrowseForFolder(QStringLiteral("Please select output folder:"), QString(), picked)) {
        if (!QFileInfo(picked).isDir())
            ShowNotice(QStringLiteral("The path is invalid."), nkWarning);
        else if (canCreateFolderIn(picked))
            choice = picked;
        else
            ShowNotice(QStringLiteral("This is a read-only path."), nkWarning);
    }
    if (choice.isEmpty())
        choice = current;
    createFolder(choice);
    return choice;
}
