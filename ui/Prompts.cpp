#include "ui/Prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>

namespace ui {
namespace {

class DialogPrompts final : public Prompts {
public:
    QMessageBox::StandardButton message(QWidget *parent, QMessageBox::Icon icon, const QString &text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override
    {
        QMessageBox box(icon, applicationTitle(), text, buttons, parent);
        box.setDefaultButton(defaultButton);
        return static_cast<QMessageBox::StandardButton>(box.exec());
    }

    QStringList openFiles(QWidget *parent, const QString &title, const QString &folder, const QString &filter) override
    {
        // The filters match any letter case ("*.[mM][pP]4"); the names alone read better.
        return QFileDialog::getOpenFileNames(parent, title, folder, filter, nullptr,
                                             QFileDialog::HideNameFilterDetails);
    }

    QString existingFolder(QWidget *parent, const QString &title, const QString &folder) override
    {
        return QFileDialog::getExistingDirectory(parent, title, folder, QFileDialog::ShowDirsOnly);
    }

    bool text(QWidget *parent, const QString &title, const QString &label, QString &value) override
    {
        bool ok = false;
        const QString answer = QInputDialog::getText(parent, title, label, QLineEdit::Normal, value, &ok);
        if (ok)
            value = answer;
        return ok;
    }
};

std::unique_ptr<Prompts> &slot()
{
    static std::unique_ptr<Prompts> instance;
    return instance;
}

} // namespace

Prompts &prompts()
{
    auto &instance = slot();
    if (!instance)
        instance = std::make_unique<DialogPrompts>();
    return *instance;
}

void setPrompts(std::unique_ptr<Prompts> replacement)
{
    slot() = std::move(replacement);
}

QString applicationTitle()
{
    const QString name = QApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Movarel") : name;
}

} // namespace ui
