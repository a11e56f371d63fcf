#include "Code/LaterStarts.h"

#include "Code/Globals.h"
#include "Code/Unit_Convert.h"
#include "Code/core/DataFolders.h"
#include "Code/core/ProgramFolder.h"
#include "platform/SingleInstance.h"

namespace {

void bringUpMainWindow()
{
    FrmMainForm->setWindowState(FrmMainForm->windowState() & ~Qt::WindowMinimized);
    FrmMainForm->raise();
    FrmMainForm->activateWindow();
}

} // namespace

QString InstanceDataFolder()
{
    return KeepsDataBesideProgram() ? ProgramFolder() : ConfigFolder();
}

void ServeLaterStarts(platform::InstanceServer &server)
{
    QObject::connect(&server, &platform::InstanceServer::openRequested, FrmMainForm, [](const QStringList &files) {
        FrmMainForm->OpenFiles(files);
        bringUpMainWindow();
    });
    QObject::connect(&server, &platform::InstanceServer::activateRequested, FrmMainForm, bringUpMainWindow);
    server.startDelivering();
}
