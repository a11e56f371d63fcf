#include "Code/UnitCustomProc.h"

#include "Code/Globals.h"
#include "Code/TextFormats.h"
#include "Code/Unit_CommonLib.h"
#include "Code/Unit_ConfigInfo.h"
#include "Code/Unit_Convert.h"
#include "Code/Unit_Option.h"
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

void TCustomProc::FillOptionSelectors()
{
    FillOutputTypeSelector(FrmMainForm->cbbOutputFiletype);
    FillQualitySelector(FrmMainForm->cbbProfile);
    FillAspectRatioSelector(frmOption->cbbAspectratio);
    FillVideoBitrateSelector(frmOption->cbbVideoBitrate);
    FillAudioBitrateSelector(frmOption->cbbAudioBitrate);
    FillAudioChannelsSelector(frmOption->cbbAudioChannels);
    FillFrameRateSelector(frmOption->cbbFramerate);
    FillAudioSampleSelector(frmOption->cbbAudioSample);
    FillVolumeGainSelector(frmOption->cbbAudioVolumeGain);
    FillVideoSizeSelector(frmOption->cbbVideoSize);
    LoadUserSettings();
}

void TCustomProc::ApplyQualityPreset()
{
    const int quality = FrmMainForm->cbbProfile->currentIndex();
    QString preset = QLatin1String(EmptyPreset);
    if (quality >= 5) {
        ui::SetSelectorIndex(frmOption->cbbCustomProfile, quality - 5);
        ApplyCustomProfile();
    } else {
        const QStringList presets = GetPresetList(FrmMainForm->cbbOutputFiletype->currentIndex());
        if (quality >= 0 && quality < presets.size())
            preset = presets.at(quality);
    }
    const QStringList fields = SplitByChar(preset, QLatin1Char('|'));
    const QList<QComboBox *> selectors = frmOption->PresetSelectors();
    for (int i = 0; i < fields.size() && i < selectors.size(); ++i) {
        if (fields.at(i) != QLatin1String("none"))
            ui::SetSelectorIndex(selectors.at(i), fields.at(i).toInt());
    }
}
