#include "Code/OptionSelectors.h"

#include "ui/Selectors.h"

#include <QComboBox>

void SetProfileSelectors(const TProfileFields &fields, const TOptionSelectors &options)
{
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i])
            ui::setSelectorIndex(options[ProfileFieldOptions()[i]], *fields[i]);
    }
}

TEncoderOptions ReadEncoderOptions(int outputType, const TOptionSelectors &options)
{
    TEncoderOptions values;
    values.OutputType = outputType;
    for (const TEncoderOptionSpec &option : EncoderOptionTable())
        values[option.Option] = options[option.Option]->currentIndex();
    return values;
}
