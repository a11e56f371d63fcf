#pragma once

#include <QString>

namespace ui {

// Gives a control its name (tests find it by that) and a name screen readers
// and desktop automation announce; returns the control for chaining.
template <typename Widget> Widget *named(Widget *widget, const char *name, const QString &accessibleName)
{
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleName(accessibleName);
    return widget;
}

} // namespace ui
