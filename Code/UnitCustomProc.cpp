#include "Code/UnitCustomProc.h"

#include "Code/Func.h"
#include "Code/Globals.h"
#include "Code/IniFiles32.h"
#include "Code/ProgramFolder.h"
#include "Code/Unit_CommonLib.h"
#include "Code/Unit_Convert.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>

namespace {
const QString sectionName = QStringLiteral("USRInfo");

QString flagText(const QCheckBox *box)
{
    return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}
} // namespace

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

void TCustomProc::LoadUserSettings()
{
    const TIniFile32 ini(UserSettingsFile());
    TFrmMainForm *form = FrmMainForm;
    form->chkShowOutputDirectory->setChecked(
        ini.ReadString(sectionName, QStringLiteral("SHWDDir"), QStringLiteral("0")) == QLatin1String("1"));
    form->chkShutdown->setChecked(ini.ReadString(sectionName, QStringLiteral("SHUTDOWN"), QStringLiteral("0")) ==
                                  QLatin1String("1"));
    form->edtOutputFolder->setText(
        ini.ReadString(sectionName, QStringLiteral("OutDir"), form->edtOutputFolder->text()));
}

void TCustomProc::SaveUserSettings()
{
    TIniFile32 ini(UserSettingsFile());
    const TFrmMainForm *form = FrmMainForm;
    ini.WriteString(sectionName, QStringLiteral("SHWDDir"), flagText(form->chkShowOutputDirectory));
    ini.WriteString(sectionName, QStringLiteral("SHUTDOWN"), flagText(form->chkShutdown));
    ini.WriteString(sectionName, QStringLiteral("OutDir"), form->edtOutputFolder->text());
}

QString TCustomProc::ReadInitDir()
{
    return TIniFile32(UserSettingsFile()).ReadString(sectionName, QStringLiteral("InitDir"), DefaultInitDir());
}

void TCustomProc::WriteInitDir()
{
    const QString folder = TFileFunc::GetFileFolder(FrmMainForm->dlgOpenSourceFile.FileName);
    if (folder.isEmpty())
        return;
    TIniFile32(UserSettingsFile()).WriteString(sectionName, QStringLiteral("InitDir"), folder);
}
