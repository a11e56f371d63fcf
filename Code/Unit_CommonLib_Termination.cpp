#include "Code/Unit_CommonLib.h"

#include "Code/Func.h"
#include "Code/Globals.h"
#include "Code/core/ProgramFolder.h"
#include "Code/core/Waiting.h"
#include "platform/Platform.h"

#include <QDir>
#include <QUrl>

namespace {
// Ends every process of `name`; false when one of them would not end.
bool endAllNamed(const TCommonLib &lib, const QString &name)
{
    for (int attempt = 0; lib.FindProcessId(name) != 0; ++attempt) {
        if (attempt >= lib.KillAttempts)
            return false;
        lib.TerminateProcessByName(name);
        WaitServicingEvents(100);
    }
    return true;
}
} // namespace

void TCommonLib::KillEncoders(const QString &encoderPath) const
{
    const QString name = TStrFunc::TextAfterLast(encoderPath, PathSeparator());
    QStringList stubborn;
    for (const QString &each : {name, VidcodaName()}) {
        if (!endAllNamed(*this, each) && !stubborn.contains(each))
            stubborn.append(each);
    }
    if (!stubborn.isEmpty()) {
        ShowNotice(QStringLiteral("The encoder (%1) could not be stopped. It may still be writing its output file; "
                                  "you can end it with your system's task manager.")
                       .arg(stubborn.join(QStringLiteral(", "))),
                   nkWarning);
    }
}

qint64 TCommonLib::FindProcessId(const QString &fileName) const
{
    const qint64 id = SysFunc->GetProcessIdByName(fileName);
    if (id == 0)
        AppFunc->WriteLog(QStringLiteral("Get Process id error."));
    return id;
}

bool TCommonLib::TerminateProcessByName(const QString &fileName) const
{
    const QList<qint64> ids = platform::findProcessIds(fileName);
    bool lastSucceeded = false;
    for (qint64 id : ids)
        lastSucceeded = platform::current().terminateProcess(id);
    if (ids.isEmpty() || !lastSucceeded) {
        AppFunc->WriteLog(QStringLiteral("Terminate process error."));
        return false;
    }
    return true;
}

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
