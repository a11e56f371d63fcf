#pragma once

// Brings the program up as far as its start-up would, without the splash's
// two-second wait: windows, service objects, filled selectors, default preset.
// The program folder is a temporary one with an empty Config/ folder. A test
// holds one fixture for its whole run (the windows cannot be made twice) and
// removes the folder at its end.

#include "Code/ApplicationWindows.h"
#include "Code/Globals.h"
#include "Code/Startup.h"
#include "Code/UnitCustomProc.h"
#include "Code/Unit_Convert.h"
#include "Code/core/ProgramFolder.h"
#include "FakePlatform.h"
#include "ScriptedPrompts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

class ProgramFixture {
public:
    QTemporaryDir folder;
    QTemporaryDir userFolders; // stands for the user's ~/.config and ~/.local/state
    FakePlatform *platform = nullptr;
    ScriptedPrompts *prompts = nullptr;

    ProgramFixture()
    {
        qputenv("XDG_CONFIG_HOME", userFolders.filePath(QStringLiteral("config")).toUtf8());
        qputenv("XDG_STATE_HOME", userFolders.filePath(QStringLiteral("state")).toUtf8());
        OverrideProgramFolder(folder.path());
        QDir(folder.path()).mkdir(QStringLiteral("Config"));
        platform = FakePlatform::install();
        prompts = ScriptedPrompts::install();
        CreateApplicationWindows();
        RunStartupSequence();
        FrmMainForm->PrepareControls();
    }

    // Neither Config/ nor the user's folder can take a file: a file stands
    // where the user's folder would be made.
    void blockConfig() const
    {
        QDir(path(QStringLiteral("Config"))).removeRecursively();
        const QString blocker = userFolders.filePath(QStringLiteral("blocked"));
        QFile(blocker).open(QIODevice::WriteOnly);
        qputenv("XDG_CONFIG_HOME", blocker.toUtf8());
    }
    void unblockConfig() const
    {
        qputenv("XDG_CONFIG_HOME", userFolders.filePath(QStringLiteral("config")).toUtf8());
        QDir(folder.path()).mkdir(QStringLiteral("Config"));
    }

    QString path(const QString &relative) const { return folder.filePath(relative); }

    QByteArray read(const QString &relative) const
    {
        QFile file(path(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    void write(const QString &relative, const QByteArray &content) const
    {
        QFile file(path(relative));
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
    }
};
