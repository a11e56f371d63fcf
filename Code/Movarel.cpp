#include "Code/ApplicationWindows.h"
#include "Code/Globals.h"
#include "Code/Startup.h"
#include "Code/Unit_Convert.h"
#include "platform/TerminationRequests.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    SetApplicationNames();

    CreateApplicationWindows();
    platform::watchTerminationRequests(FrmMainForm, [] { FrmMainForm->EndOnRequest(); });
    FrmMainForm->ShowMainWindow();
    FrmMainForm->OpenFiles(FilesFromArguments(QCoreApplication::arguments().mid(1), QDir::currentPath()));
    return QApplication::exec();
}
