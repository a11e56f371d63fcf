#include "Code/Unit_CommonLib.h"

#include "platform/Platform.h"

#include <QDir>
#include <QUrl>

void TCommonLib::ShowFolderInExplorer(const QString &folder) const
{
    // Before any row was built there is no folder: the file manager then opens
    // where it starts by itself, the home folder.
    const QString shown = folder.isEmpty() ? QDir::homePath() : folder;
    platform::current().openUrl(QUrl::fromLocalFile(shown));
}

void TCommonLib::ShutdownComputer() const
{
    platform::current().powerOff();
}
