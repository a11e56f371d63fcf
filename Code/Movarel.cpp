#include "Code/ApplicationWindows.h"
#include "Code/Globals.h"
#include "Code/LaterStarts.h"
#include "Code/Startup.h"
#include "Code/Unit_Convert.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationRequests.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    SetApplicationNames();

    const QStringList files = FilesFromArguments(QCoreApplication::arguments().mid(1), QDir::currentPath());
    // Before any window: a second program on the same data folder would
    // write over the first one's files.
    platform::InstanceClaim claim = platform::claimInstance(InstanceDataFolder(), files);
    if (claim.handedOver)
        return 0;

    CreateApplicationWindows();
    platform::watchTerminationRequests(FrmMainForm, [] { FrmMainForm->EndOnRequest(); });
    FrmMainForm->ShowMainWindow();
    FrmMainForm->OpenFiles(files);
    if (claim.server)
        ServeLaterStarts(*claim.server);
    return QApplication::exec();
}
