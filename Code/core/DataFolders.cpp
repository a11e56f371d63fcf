#include "Code/core/DataFolders.h"

#include "Code/core/ProgramFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace {

// Creating a file proves the folder can be written, whoever runs the program.
bool canWriteIn(const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(folder + PathSeparator() + QStringLiteral(".movarel-XXXXXX"));
    return probe.open();
}

QString userFolder(const char *variable, const QString &fallback)
{
    QString base = qEnvironmentVariable(variable);
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = fallback;
    const QString folder = base + QStringLiteral("/Movarel/");
    QDir().mkpath(folder);
    return folder;
}

} // namespace

// Asked at each use, so a Config/ folder that appears or goes is followed.
bool KeepsDataBesideProgram()
{
    return canWriteIn(ProgramFolder() + QStringLiteral("Config"));
}

QString ConfigFolder()
{
    if (KeepsDataBesideProgram())
        return ProgramFolder() + QStringLiteral("Config") + PathSeparator();
    return userFolder("XDG_CONFIG_HOME", QDir::homePath() + QStringLiteral("/.config"));
}

QString StateFolder()
{
    if (KeepsDataBesideProgram())
        return ProgramFolder();
    return userFolder("XDG_STATE_HOME", QDir::homePath() + QStringLiteral("/.local/state"));
}
