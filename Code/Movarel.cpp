#include "Code/ApplicationWindows.h"
#include "Code/Globals.h"
#include "Code/Startup.h"
#include "Code/Unit_Convert.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // Preview playback uses Qt Multimedia's FFmpeg backend unless the user chose another.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");

    QApplication app(argc, argv);
    SetApplicationNames();

    CreateApplicationWindows();
    FrmMainForm->ShowMainWindow();
    return QApplication::exec();
}
