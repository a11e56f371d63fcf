#include "Code/Unit_CommonLib.h"

#include "Code/IniFiles32.h"
#include "Code/Unit_ConfigInfo.h"
#include "Code/core/DataFolders.h"
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

namespace {
// The entry a selector filled from `list` shows at `index`; empty outside it.
QString entryOf(const QStringList &list, int index)
{
    return index >= 0 && index < list.size() - 1 ? list.at(index) : QString();
}
} // namespace

QString TCommonLib::GetVideoSizeParam(int index) const
{
    return VideoSizeParam(entryOf(GetVideoSizeList(), index));
}

QString TCommonLib::GetVideoBitrateParam(int index) const
{
    return VideoBitrateParam(entryOf(GetVideoBitrateList(), index));
}

QString TCommonLib::GetFrameRateParam(int index) const
{
    return FrameRateParam(entryOf(GetFrameRateList(), index));
}

QString TCommonLib::GetAspectParam(int index) const
{
    return AspectParam(entryOf(GetAspectRatioList(), index));
}

QString TCommonLib::GetAudioBitrateParam(int index) const
{
    return AudioBitrateParam(entryOf(GetAudioBitrateList(), index));
}

QString TCommonLib::GetAudioSampleParam(int index) const
{
    return AudioSampleParam(entryOf(GetAudioSampleList(), index));
}

QString TCommonLib::GetAudioChannelsParam(int index) const
{
    return AudioChannelsParam(entryOf(GetAudioChannelsList(), index));
}

QString TCommonLib::GetVolumeParam(int index) const
{
    return VolumeParam(entryOf(GetVolumeGainList(), index));
}

QString TCommonLib::GetCodecParam(int outputType) const
{
    return CodecParamOf(outputType);
}

QString TCommonLib::GetFormatParam(int outputType) const
{
    return FormatParamOf(outputType);
}

QString TCommonLib::GetOutputExtension(int outputType) const
{
    return OutputExtensionOf(outputType);
}
