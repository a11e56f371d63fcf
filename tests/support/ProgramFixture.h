#pragma once

// Brings the program up as far as its start-up would, without the splash's
// two-second wait: windows, service objects, filled selectors, default preset.
// The program folder is a temporary one with an empty Config/ folder. A test
// holds one fixture for its whole run (the windows cannot be made twice) and
// removes the folder at its end.

#include "Code/Globals.h"
#include "Code/ProgramFolder.h"
#include "Code/Startup.h"
#include "Code/UnitCustomProc.h"
#include "Code/Unit_Convert.h"
#include "FakePlatform.h"
#include "ScriptedPrompts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

class ProgramFixture {
public:
    QTemporaryDir folder;
    FakePlatform *platform = nullptr;
    ScriptedPrompts *prompts = nullptr;

    ProgramFixture()
    {
        OverrideProgramFolder(folder.path());
        QDir(folder.path()).mkdir(QStringLiteral("Config"));
        platform = FakePlatform::install();
        prompts = ScriptedPrompts::install();
        CreateApplicationWindows();
        RunStartupSequence();
        CustomProc->FillOptionSelectors();
        CustomProc->ApplyQualityPreset();
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
