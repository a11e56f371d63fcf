#include "Code/UnitCustomProc.h"

#include "Code/Globals.h"
#include "Code/Unit_CommonLib.h"
#include "Code/core/Func.h"
#include "Code/core/IniFiles32.h"
#include "Code/core/ProgramFolder.h"
#include "platform/Platform.h"

#include <QDir>

namespace {
const QString sectionName = QStringLiteral("USRInfo");

QString flagText(bool checked)
{
    return checked ? QStringLiteral("1") : QStringLiteral("0");
}

bool flagOf(const TIniFile32 &ini, const QString &key)
{
    return ini.ReadString(sectionName, key, QStringLiteral("0")) == QLatin1String("1");
}
} // namespace

TCustomProc::TCustomProc() = default;
// Out of line: the screen-saver hold's type is complete here.
TCustomProc::~TCustomProc() = default;

QString DefaultInitDir()
{
    return QDir::homePath() + PathSeparator();
}

QString DefaultOutputFolderText()
{
    return QDir::homePath() + PathSeparator() + QStringLiteral("Movarel Output Folder");
}

QString TCustomProc::UserSettingsFile() const
{
    return CommonLib->ConfigFile(QStringLiteral("UserSettings.ini"));
}

void TCustomProc::LoadUserSettings(TUserSettings &settings)
{
    const TIniFile32 ini(UserSettingsFile());
    settings.ShowOutputDirectory = flagOf(ini, QStringLiteral("SHWDDir"));
    settings.Shutdown = flagOf(ini, QStringLiteral("SHUTDOWN"));
    settings.OutputFolder = ini.ReadString(sectionName, QStringLiteral("OutDir"), settings.OutputFolder);
}

void TCustomProc::SaveUserSettings(const TUserSettings &settings)
{
    TIniFile32 ini(UserSettingsFile());
    ini.WriteString(sectionName, QStringLiteral("SHWDDir"), flagText(settings.ShowOutputDirectory));
    ini.WriteString(sectionName, QStringLiteral("SHUTDOWN"), flagText(settings.Shutdown));
    ini.WriteString(sectionName, QStringLiteral("OutDir"), settings.OutputFolder);
}

QString TCustomProc::ReadInitDir()
{
    return TIniFile32(UserSettingsFile()).ReadString(sectionName, QStringLiteral("InitDir"), DefaultInitDir());
}

void TCustomProc::WriteInitDir(const QString &chosenFile)
{
    const QString folder = TFileFunc::GetFileFolder(chosenFile);
    if (folder.isEmpty())
        return;
    TIniFile32(UserSettingsFile()).WriteString(sectionName, QStringLiteral("InitDir"), folder);
}
