#pragma once

#include "ui/Prompts.h"

#include <QList>
#include <QQueue>

#include <functional>

// Answers the program's boxes and dialogs from a script prepared by the test
// and records every box it was asked to show.
class ScriptedPrompts final : public ui::Prompts {
public:
    struct Shown {
        QMessageBox::Icon icon;
        QString text;
    };
    QList<Shown> messages;
    QQueue<QMessageBox::StandardButton> answers; // default: the box's default button
    QQueue<QStringList> openFileAnswers;         // default: cancelled
    QQueue<QString> folderAnswers;               // default: cancelled
    QQueue<QString> textAnswers;                 // default: cancelled
    QStringList folderTitles;
    QStringList textLabels;    // prompt text of each text-input prompt
    QStringList textProposals; // the text each prompt started with
    QStringList openFolders;
    QStringList openFilters;
    // Runs while a box is up, before it is answered.
    std::function<void()> whileShown;

    QMessageBox::StandardButton message(QWidget *, QMessageBox::Icon icon, const QString &text,
                                        QMessageBox::StandardButtons,
                                        QMessageBox::StandardButton defaultButton) override
    {
        messages.append({icon, text});
        if (whileShown)
            whileShown();
        return answers.isEmpty() ? defaultButton : answers.dequeue();
    }
    QStringList openFiles(QWidget *, const QString &, const QString &folder, const QString &filter) override
    {
        openFolders.append(folder);
        openFilters.append(filter);
        return openFileAnswers.isEmpty() ? QStringList() : openFileAnswers.dequeue();
    }
    QString existingFolder(QWidget *, const QString &title, const QString &) override
    {
        folderTitles.append(title);
        return folderAnswers.isEmpty() ? QString() : folderAnswers.dequeue();
    }
    bool text(QWidget *, const QString &, const QString &label, QString &value) override
    {
        textLabels.append(label);
        textProposals.append(value);
        if (textAnswers.isEmpty())
            return false;
        value = textAnswers.dequeue();
        return true;
    }

    QStringList texts() const
    {
        QStringList result;
        for (const Shown &shown : messages)
            result.append(shown.text);
        return result;
    }

    static ScriptedPrompts *install()
    {
        auto scripted = std::make_unique<ScriptedPrompts>();
        ScriptedPrompts *raw = scripted.get();
        ui::setPrompts(std::move(scripted));
        return raw;
    }
};
