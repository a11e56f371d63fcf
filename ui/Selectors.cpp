#include "ui/Selectors.h"

#include <QComboBox>

namespace ui {

void SetSelectorIndex(QComboBox *selector, int index)
{
    selector->setCurrentIndex(index >= 0 && index < selector->count() ? index : -1);
}

QString SelectorText(const QComboBox *selector, int index)
{
    return index >= 0 && index < selector->count() ? selector->itemText(index) : QString();
}

QComboBox *MakeOptionSelector(QWidget *parent, const char *name, const QString &accessibleName)
{
    auto *selector = new QComboBox(parent);
    selector->setObjectName(QLatin1String(name));
    selector->setAccessibleName(accessibleName);
    selector->setEditable(false);
    return selector;
}

} // namespace ui
