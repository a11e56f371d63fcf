#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <memory>

class QWidget;

namespace ui {

// Every modal question, notice and file dialog goes through this interface so
// that a test can answer it in advance instead of a person.
class Prompts {
public:
    virtual ~Prompts() = default;

    virtual QMessageBox::StandardButton message(QWidget *parent, QMessageBox::Icon icon, const QString &text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton) = 0;
    // Several existing files; empty when cancelled.
    virtual QStringList openFiles(QWidget *parent, const QString &title, const QString &folder,
                                  const QString &filter) = 0;
    // An existing folder; empty when cancelled.
    virtual QString existingFolder(QWidget *parent, const QString &title, const QString &folder) = 0;
    // A line of text; false when cancelled.
    virtual bool text(QWidget *parent, const QString &title, const QString &label, QString &value) = 0;
};

Prompts &prompts();
// Installs a replacement (tests); nullptr restores the real dialogs.
void setPrompts(std::unique_ptr<Prompts> replacement);

// The caption of every box the program shows.
QString applicationTitle();

} // namespace ui
