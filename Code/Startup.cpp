#include "Code/Startup.h"

#include "Code/Globals.h"
#include "Code/UnitCustomProc.h"
#include "Code/Unit_CommonLib.h"
#include "Code/core/Func.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QUrl>

namespace {
const QString homePageAddress = QStringLiteral("https://movarel.example.org/");
const QString supportAddress = QStringLiteral("support@movarel.example.org");

template <typename T> void createOnce(T *&object)
{
    if (!object)
        object = new T;
}
} // namespace

QStringList FilesFromArguments(const QStringList &arguments, const QString &currentFolder)
{
    QStringList files;
    const QDir folder(currentFolder);
    for (const QString &argument : arguments) {
        if (argument.isEmpty())
            continue;
        const QUrl address(argument);
        const bool isAddress = address.isLocalFile() && argument.startsWith(QLatin1String("file:"));
        files.append(isAddress ? address.toLocalFile() : QDir::cleanPath(folder.absoluteFilePath(argument)));
    }
    return files;
}

QString VersionTextOf(const QString &fileVersion)
{
    QStringList pieces;
    SplitText(fileVersion, QLatin1Char('.'), pieces);
    if (pieces.isEmpty())
        return QString();
    if (pieces.size() == 1)
        return pieces.first();
    return pieces.at(0) + QLatin1Char('.') + pieces.at(1);
}

QString ReadVersionText(const QString &programFileName)
{
    // The file version is compiled into the program rather than read from a
    // resource of its file.
    Q_UNUSED(programFileName);
    return VersionTextOf(QStringLiteral(MOVAREL_FILE_VERSION));
}

void RunStartupSequence()
{
    createOnce(CustomProc);
    createOnce(CommonLib);
    createOnce(AppFunc);
    QCoreApplication::processEvents();

    RecSoftInfo.ProductName = QStringLiteral("Movarel");
    RecSoftInfo.HomePage = homePageAddress;
    RecSoftInfo.SupportEmail = supportAddress;
    RecSoftInfo.VersionText = ReadVersionText(QCoreApplication::applicationFilePath());
    RecSoftInfo.ProgramFolder = CommonLib->ProgramFolder;
}

QString ApplicationCaption()
{
    return RecSoftInfo.ProductName + QLatin1Char(' ') + RecSoftInfo.VersionText;
}

void SetApplicationNames()
{
    QGuiApplication::setApplicationName(QStringLiteral("Movarel"));
    QGuiApplication::setDesktopFileName(QStringLiteral("movarel"));
}
