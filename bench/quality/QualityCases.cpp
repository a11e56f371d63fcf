#include "QualityCases.h"

#include "Code/Unit_ConfigInfo.h"

namespace {

// The option selectors a preset string sets, in its field order.
enum PresetField { SizeField, RateField, VideoBitrateField, AudioBitrateField, ChannelsField, SampleField };

struct Selection {
    QString size, frameRate, videoBitrate, audioBitrate, channels, sample;
};

// The entry a table index selects: empty outside the table, as a selector
// left without a selection; "none" keeps the table's default entry.
QString entryFor(const QStringList &table, const QString &field)
{
    const int defaultIndex = table.last().toInt();
    bool isIndex = false;
    const int index = field == QLatin1String("none") ? defaultIndex : field.toInt(&isIndex);
    if (field != QLatin1String("none") && !isIndex)
        return {};
    return index >= 0 && index < table.size() - 1 ? table.at(index) : QString();
}

Selection selectionOf(const QString &preset)
{
    const QStringList fields = preset.split(QLatin1Char('|'));
    return {entryFor(GetVideoSizeList(), fields.value(SizeField)),
            entryFor(GetFrameRateList(), fields.value(RateField)),
            entryFor(GetVideoBitrateList(), fields.value(VideoBitrateField)),
            entryFor(GetAudioBitrateList(), fields.value(AudioBitrateField)),
            entryFor(GetAudioChannelsList(), fields.value(ChannelsField)),
            entryFor(GetAudioSampleList(), fields.value(SampleField))};
}

// The option fragments of the command builder's video layout, split into words.
QualityCase caseOf(int outputType, const QString &quality, const Selection &selection)
{
    const QString fragments =
        CodecParamOf(outputType) + VideoBitrateParam(selection.videoBitrate) + VideoSizeParam(selection.size) +
        FrameRateParam(selection.frameRate) + AspectParam(entryFor(GetAspectRatioList(), QStringLiteral("none"))) +
        AudioBitrateParam(selection.audioBitrate) + VolumeParam(entryFor(GetVolumeGainList(), QStringLiteral("none"))) +
        AudioChannelsParam(selection.channels) + AudioSampleParam(selection.sample) + FormatParamOf(outputType);
    QualityCase result;
    result.extension = OutputExtensionOf(outputType);
    result.type = result.extension.mid(1);
    result.quality = quality;
    result.options = fragments.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const auto valueOf = [&](const char *option) {
        const qsizetype at = result.options.indexOf(QLatin1String(option));
        return at >= 0 ? result.options.value(at + 1) : QString();
    };
    result.videoKbit = valueOf("-b").toInt();
    result.audioKbit = valueOf("-ab").toInt();
    result.channels = valueOf("-ac").toInt();
    result.sampleRate = valueOf("-ar").toInt();
    result.frameRate = valueOf("-r");
    return result;
}

} // namespace

QList<QualityCase> qualityCases()
{
    QList<QualityCase> cases;
    const QStringList qualities = GetQualityList();
    for (const int type : {cstiPodProfile, cstMOVProfile}) {
        const QStringList presets = GetPresetList(type);
        for (qsizetype quality = 0; quality < presets.size(); ++quality)
            cases.append(
                caseOf(type, qualities.at(quality).section(QLatin1Char(' '), 0, 0), selectionOf(presets.at(quality))));
    }
    // A custom profile: the lowest rate at the highest frame rate the tables offer.
    Selection custom = selectionOf(GetPresetList(cstiPodProfile).first());
    custom.frameRate = QStringLiteral("29.97");
    cases.append(caseOf(cstiPodProfile, QStringLiteral("40k@29.97"), custom));
    // A rate only a hand-written command line asks: below what the codec can reach.
    QualityCase belowFloor =
        caseOf(cstiPodProfile, QStringLiteral("8k@14.985"), selectionOf(GetPresetList(cstiPodProfile).first()));
    belowFloor.options[belowFloor.options.indexOf(QLatin1String("-b")) + 1] = QStringLiteral("8");
    belowFloor.videoKbit = 8;
    cases.append(belowFloor);
    return cases;
}

QStringList encoderArguments(const QualityCase &qualityCase, const QString &input, const QString &output, int videoKbit)
{
    QStringList options = qualityCase.options;
    if (videoKbit > 0)
        options[options.indexOf(QLatin1String("-b")) + 1] = QString::number(videoKbit);
    return QStringList{QStringLiteral("-y"), QStringLiteral("-i"), input} + options + QStringList{output};
}
