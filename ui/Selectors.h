#pragma once

#include <QString>

class QComboBox;
class QWidget;

namespace ui {

// Option selectors are drop-down lists with a selected index (-1 for none).
// Setting an index outside the list leaves no selection; the user's change
// handlers connect to QComboBox::activated, so setting from code never runs them.
void setSelectorIndex(QComboBox *selector, int index);
// The entry text at an index; empty outside the list.
QString selectorText(const QComboBox *selector, int index);
// A fixed drop-down list named for tests and screen readers.
QComboBox *makeOptionSelector(QWidget *parent, const char *name, const QString &accessibleName);

} // namespace ui
