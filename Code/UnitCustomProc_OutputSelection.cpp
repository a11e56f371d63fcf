#include "Code/UnitCustomProc.h"

#include "Code/Globals.h"
#include "Code/Unit_CommonLib.h"
#include "Code/Unit_ConfigInfo.h"
#include "Code/core/TextFormats.h"
#include "ui/Selectors.h"

#include <QComboBox>

namespace {

// Appends the entries (all but the last element) and selects the index the
// last element names. The selector is not cleared first.
void fillFrom(QComboBox *selector, const QStringList &list, const QStringList &extraEntries = {})
{
    selector->addItems(list.mid(0, list.size() - 1));
    selector->addItems(extraEntries);
    ui::SetSelectorIndex(selector, list.isEmpty() ? -1 : list.last().toInt());
}

} // namespace

void TCustomProc::FillOutputTypeSelector(QComboBox *selector)
{
    fillFrom(selector, GetOutputTypeList());
}

void TCustomProc::FillQualitySelector(QComboBox *selector)
{
    fillFrom(selector, GetQualityList(), CommonLib->ReadConfigSections(QStringLiteral("UserProfileInfo.ini")));
}

void TCustomProc::FillAspectRatioSelector(QComboBox *selector)
{
    fillFrom(selector, GetAspectRatioList());
}

void TCustomProc::FillVideoBitrateSelector(QComboBox *selector)
{
    fillFrom(selector, GetVideoBitrateList());
}

void TCustomProc::FillAudioBitrateSelector(QComboBox *selector)
{
    fillFrom(selector, GetAudioBitrateList());
}

void TCustomProc::FillAudioChannelsSelector(QComboBox *selector)
{
    fillFrom(selector, GetAudioChannelsList());
}

void TCustomProc::FillFrameRateSelector(QComboBox *selector)
{
    fillFrom(selector, GetFrameRateList());
}

void TCustomProc::FillAudioSampleSelector(QComboBox *selector)
{
    fillFrom(selector, GetAudioSampleList());
}

void TCustomProc::FillVolumeGainSelector(QComboBox *selector)
{
    fillFrom(selector, GetVolumeGainList());
}

void TCustomProc::FillVideoSizeSelector(QComboBox *selector)
{
    fillFrom(selector, GetVideoSizeList());
}

void TCustomProc::FillOptionSelectors(QComboBox *outputType, QComboBox *quality, const TOptionSelectors &options)
{
    FillOutputTypeSelector(outputType);
    FillQualitySelector(quality);
    FillAspectRatioSelector(options.Aspect);
    FillVideoBitrateSelector(options.VideoBitrate);
    FillAudioBitrateSelector(options.AudioBitrate);
    FillAudioChannelsSelector(options.AudioChannels);
    FillFrameRateSelector(options.FrameRate);
    FillAudioSampleSelector(options.AudioSample);
    FillVolumeGainSelector(options.Volume);
    FillVideoSizeSelector(options.VideoSize);
}

void TCustomProc::ApplyQualityPreset(int outputType, int quality, const TOptionSelectors &options)
{
    QString preset = QLatin1String(EmptyPreset);
    if (quality >= 5) {
        ui::SetSelectorIndex(options.CustomProfile, quality - 5);
        ApplyCustomProfile(options);
    } else {
        const QStringList presets = GetPresetList(outputType);
        if (quality >= 0 && quality < presets.size())
            preset = presets.at(quality);
    }
    const QStringList fields = SplitByChar(preset, QLatin1Char('|'));
    const QList<QComboBox *> selectors = options.PresetSelectors();
    for (int i = 0; i < fields.size() && i < selectors.size(); ++i) {
        if (fields.at(i) != QLatin1String("none"))
            ui::SetSelectorIndex(selectors.at(i), fields.at(i).toInt());
    }
}

QList<QComboBox *> TOptionSelectors::PresetSelectors() const
{
    return {VideoSize, FrameRate, VideoBitrate, AudioBitrate, AudioChannels, AudioSample};
}

TEncoderOptions ReadEncoderOptions(int outputType, const TOptionSelectors &options)
{
    TEncoderOptions o;
    o.OutputType = outputType;
    o.VideoSize = options.VideoSize->currentIndex();
    o.VideoBitrate = options.VideoBitrate->currentIndex();
    o.FrameRate = options.FrameRate->currentIndex();
    o.Aspect = options.Aspect->currentIndex();
    o.AudioBitrate = options.AudioBitrate->currentIndex();
    o.Volume = options.Volume->currentIndex();
    o.AudioChannels = options.AudioChannels->currentIndex();
    o.AudioSample = options.AudioSample->currentIndex();
    return o;
}
