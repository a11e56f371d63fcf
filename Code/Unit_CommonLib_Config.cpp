#include "Code/Unit_CommonLib.h"

#include "Code/core/DataFolders.h"
#include "Code/core/IniFiles32.h"
#include "platform/Platform.h"

#include <QCoreApplication>

void TCommonLib::TrimWorkingSet()
{
    platform::current().trimWorkingSet();
    QCoreApplication::processEvents();
}

QString TCommonLib::ConfigFile(const QString &name) const
{
    return ConfigFolder() + name;
}

QStringList TCommonLib::ReadConfigSections(const QString &fileName) const
{
    QStringList sections;
    TIniFile32(ConfigFile(fileName)).ReadSections(&sections);
    return sections;
}

QString TCommonLib::ReadConfigValue(const QString &fileName, const QString &name) const
{
    return TIniFile32(ConfigFile(fileName)).ReadString(name, name, QString());
}
