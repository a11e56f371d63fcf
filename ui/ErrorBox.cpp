#include "ui/ErrorBox.h"

#include "ui/Prompts.h"

#include <QApplication>

namespace ui {

void showErrorBox(const QString &text)
{
    prompts().message(QApplication::activeWindow(), QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

} // namespace ui
