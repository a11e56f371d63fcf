#include "Code/OptionSelectors.h"

#include "ui/Selectors.h"

void SetProfileSelectors(const TProfileFields &fields, const TOptionSelectors &options)
{
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i])
            ui::setSelectorIndex(options[ProfileFieldOptions()[i]], *fields[i]);
    }
}
