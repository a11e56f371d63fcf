#include "Code/Unit_CommonLib.h"

#include "Code/IniFiles32.h"
#include "Code/ProgramFolder.h"
#include "Code/Unit_ConfigInfo.h"
#include "platform/Platform.h"
#include "ui/Selectors.h"

#include <QCoreApplication>

void TCommonLib::TrimWorkingSet()
{
    platform::current().trimWorkingSet();
    QCoreApplication::processEvents();
}

QString TCommonLib::ConfigFile(const QString &name) const
{
    return ProgramFolder + QStringLiteral("Config") + PathSeparator() + name;
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

QString TCommonLib::GetVideoSizeParam(const QComboBox *selector, int index) const
{
    return VideoSizeParam(ui::SelectorText(selector, index));
}

QString TCommonLib::GetVideoBitrateParam(const QComboBox *selector, int index) const
{
    return VideoBitrateParam(ui::SelectorText(selector, index));
}

QString TCommonLib::GetFrameRateParam(const QComboBox *selector, int index) const
{
    return FrameRateParam(ui::SelectorText(selector, index));
}

QString TCommonLib::GetAspectParam(const QComboBox *selector, int index) const
{
    return AspectParam(ui::SelectorText(selector, index));
}

QString TCommonLib::GetAudioBitrateParam(const QComboBox *selector, int index) const
{
    return AudioBitrateParam(ui::SelectorText(selector, index));
}

QString TCommonLib::GetAudioSampleParam(const QComboBox *selector, int index) const
{
    return AudioSampleParam(ui::SelectorText(selector, index));
}

QString TCommonLib::GetAudioChannelsParam(const QComboBox *selector, int index) const
{
    return AudioChannelsParam(ui::SelectorText(selector, index));
}

QString TCommonLib::GetVolumeParam(const QComboBox *selector, int index) const
{
    return VolumeParam(ui::SelectorText(selector, index));
}

// The output type's fragments come from the catalogue by index.
QString TCommonLib::GetCodecParam(const QComboBox *, int index) const
{
    return CodecParamOf(index);
}

QString TCommonLib::GetFormatParam(const QComboBox *, int index) const
{
    return FormatParamOf(index);
}

QString TCommonLib::GetOutputExtension(const QComboBox *, int index) const
{
    return OutputExtensionOf(index);
}
