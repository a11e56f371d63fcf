#include "Code/UnitCustomProc.h"

#include "Code/Globals.h"
#include "Code/Unit_CommonLib.h"
#include "Code/core/Unit_ConfigInfo.h"
#include "ui/Selectors.h"

#include <QComboBox>

namespace {

// Appends the entries (all but the last element) and selects the index the
// last element names. The selector is not cleared first.
void fillFrom(QComboBox *selector, const QStringList &list, const QStringList &extraEntries = {})
{
    selector->addItems(list.mid(0, list.size() - 1));
    selector->addItems(extraEntries);
    ui::setSelectorIndex(selector, list.isEmpty() ? -1 : list.last().toInt());
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

void TCustomProc::FillOptionSelector(TEncoderOption option, QComboBox *selector)
{
    fillFrom(selector, OptionSpec(option).Catalogue());
}

void TCustomProc::FillOptionSelectors(QComboBox *outputType, QComboBox *quality, const TOptionSelectors &options)
{
    FillOutputTypeSelector(outputType);
    FillQualitySelector(quality);
    for (const TEncoderOptionSpec &option : EncoderOptionTable())
        FillOptionSelector(option.Option, options[option.Option]);
}

void TCustomProc::ApplyQualityPreset(int outputType, int quality, const TOptionSelectors &options)
{
    if (quality >= 5) {
        ui::setSelectorIndex(options.CustomProfile, quality - 5);
        ApplyCustomProfile(options);
        return;
    }
    const QStringList presets = GetPresetList(outputType);
    if (quality < 0 || quality >= presets.size())
        return;
    if (const std::optional<TProfileFields> fields = ReadPresetFields(presets.at(quality)))
        SetProfileSelectors(*fields, options);
}
