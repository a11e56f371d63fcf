#include "Code/core/Unit_ConfigInfo.h"

QStringList GetOutputTypeList()
{
    return {"iPod MPEG-4 Video Files (*.mp4)", "MOV Video Files (*.mov)", "AAC Audio Files (*.aac)",
            "M4A MPEG Audio Files (*.m4a)",    "MP3 Files (*.mp3)",       "0"};
}

QStringList GetQualityList()
{
    return {"Low Quality", "Acceptable Quality", "Normal Quality", "Excellent Quality", "Superb Quality", "2"};
}

QStringList GetVideoSizeList()
{
    return {"320x240", "0"};
}

QStringList GetVideoBitrateList()
{
    return {"40", "80", "128", "256", "512", "2"};
}

QStringList GetFrameRateList()
{
    return {"14.985", "15", "23.967", "24", "25", "29.97", "30", "1"};
}

QStringList GetAspectRatioList()
{
    return {"4:3", "16:9", "0"};
}

QStringList GetAudioBitrateList()
{
    return {"16", "32", "48", "64", "80", "128", "160", "192", "224", "2"};
}

QStringList GetAudioSampleList()
{
    return {"22050", "32000", "44100", "48000", "2"};
}

QStringList GetAudioChannelsList()
{
    return {"1 channel, Mono", "2 channels, Stereo", "1"};
}

QStringList GetVolumeGainList()
{
    QStringList list;
    for (int percent = 0; percent <= 500; percent += 25)
        list.append(QString::number(percent));
    list.append(QStringLiteral("8"));
    return list;
}

QStringList GetCodecParamList()
{
    return {"-vcodec mpeg4 -acodec aac", "-vcodec mpeg4 -acodec aac", "-acodec aac -vn",
            "-acodec aac -vn",           "-acodec mp3 -vn",           "0"};
}

QStringList GetFormatNameList()
{
    return {"none", "mov", "none", "none", "none"};
}

QStringList GetExtensionList()
{
    return {".mp4", ".mov", ".aac", ".m4a", ".mp3"};
}

QStringList GetPresetList(int outputType)
{
    // iPod, AAC and MP3 share one row; MOV and M4A keep mono 22050 Hz throughout.
    static const QStringList stereoRow{"1|0|0|2|0|0", "1|0|1|4|1|1", "1|1|2|5|1|2", "1|1|3|7|1|2", "1|1|4|8|1|3"};
    static const QStringList monoRow{"1|0|0|2|0|0", "1|0|1|4|0|0", "1|1|2|5|0|0", "1|1|3|7|0|0", "1|1|4|8|0|0"};
    switch (outputType) {
    case cstiPodProfile:
    case cstAACProfile:
    case cstMP3Profile:
        return stereoRow;
    case cstMOVProfile:
    case cstM4AProfile:
        return monoRow;
    default:
        return {};
    }
}

namespace {
QString fragment(const char *option, const QString &entry, const char *fallback)
{
    return entry.isEmpty() ? QLatin1String(fallback) : QLatin1String(option) + entry;
}

QString entryOf(const QStringList &table, int index)
{
    return index >= 0 && index < table.size() ? table.at(index) : QString();
}
} // namespace

QString CodecParamOf(int outputType)
{
    const QStringList codecs = GetCodecParamList().mid(0, 5);
    return fragment(" ", entryOf(codecs, outputType), " -vcodec xvid -acodec mp3");
}

QString FormatParamOf(int outputType)
{
    const QString name = entryOf(GetFormatNameList(), outputType);
    return name == QLatin1String("none") ? QString() : QStringLiteral(" -f ") + name;
}

QString OutputExtensionOf(int outputType)
{
    const QString extension = entryOf(GetExtensionList(), outputType);
    return extension.isEmpty() ? QStringLiteral(".avi") : extension;
}
