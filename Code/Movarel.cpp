#include "Code/ApplicationWindows.h"
#include "Code/Globals.h"
#include "Code/Startup.h"
#include "Code/Unit_Convert.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    SetApplicationNames();

    CreateApplicationWindows();
    FrmMainForm->ShowMainWindow();
    return QApplication::exec();
}
