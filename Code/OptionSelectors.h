#pragma once

#include "Code/core/EncoderOptions.h"

#include <array>

class QComboBox;

// The options window's selectors that the services set and read.
struct TOptionSelectors {
    // One per option, in the order of the option table.
    std::array<QComboBox *, EncoderOptionCount> Options{};
    QComboBox *CustomProfile = nullptr;

    QComboBox *operator[](TEncoderOption option) const { return Options[static_cast<std::size_t>(option)]; }
};

// Sets the selectors a preset or profile names; the others keep their choice.
void SetProfileSelectors(const TProfileFields &fields, const TOptionSelectors &options);

// The option values the selectors show, with the output type.
TEncoderOptions ReadEncoderOptions(int outputType, const TOptionSelectors &options);
