#include "ui/Selectors.h"

#include "ui/Named.h"

#include <QComboBox>

namespace ui {

void setSelectorIndex(QComboBox *selector, int index)
{
    selector->setCurrentIndex(index >= 0 && index < selector->count() ? index : -1);
}

QString selectorText(const QComboBox *selector, int index)
{
    return index >= 0 && index < selector->count() ? selector->itemText(index) : QString();
}

QComboBox *makeOptionSelector(QWidget *parent, const char *name, const QString &accessibleName)
{
    auto *selector = named(new QComboBox(parent), name, accessibleName);
    selector->setEditable(false);
    return selector;
}

} // namespace ui
