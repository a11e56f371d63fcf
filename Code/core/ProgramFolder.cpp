#include "Code/core/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString &overrideSlot()
{
    static QString folder;
    return folder;
}
} // namespace

QString ProgramFolder()
{
    QString folder = overrideSlot();
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(PathSeparator()))
        folder += PathSeparator();
    return folder;
}

void OverrideProgramFolder(const QString &folder)
{
    overrideSlot() = folder;
}

QChar PathSeparator()
{
#ifdef _WIN32
    return QLatin1Char('\\');
#else
    return QLatin1Char('/');
#endif
}

bool IsPathDelimiter(QChar c)
{
#ifdef _WIN32
    return c == QLatin1Char('\\') || c == QLatin1Char(':');
#else
    return c == QLatin1Char('/');
#endif
}

QString ResolveInProgramFolder(const QString &folder)
{
    if (folder.isEmpty() || !QDir::isRelativePath(folder))
        return folder;
    return ProgramFolder() + folder;
}
