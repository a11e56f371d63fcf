#include "Code/SystemCommands.h"

#include "Code/Globals.h"
#include "Code/core/ProgramFolder.h"
#include "platform/Platform.h"
#include "ui/AboutBox.h"

#include <QUrl>

void OpenHomePage()
{
    platform::current().openUrl(QUrl(RecSoftInfo.HomePage));
}

void SendSupportEmail()
{
    platform::current().openUrl(QUrl(QStringLiteral("mailto:") + RecSoftInfo.SupportEmail));
}

void OpenHelpFile()
{
    const QString folder = RecSoftInfo.ProgramFolder.isEmpty() ? ProgramFolder() : RecSoftInfo.ProgramFolder;
    platform::current().openUrl(QUrl::fromLocalFile(folder + QStringLiteral("Helpdoc.html")));
}

void ShowAboutBox(QWidget *owner)
{
    auto *box = new ui::AboutBox(
        {RecSoftInfo.ProductName, RecSoftInfo.VersionText, RecSoftInfo.HomePage, RecSoftInfo.SupportEmail}, owner);
    box->open();
}
