#include "Code/core/Func.h"

#include "Code/core/DataFolders.h"
#include "Code/core/ProgramFolder.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSet>
#include <QTime>

QString TAppFunc::LogLine(const QString &message)
{
    const QLocale locale = QLocale::system();
    // The long time format may name the time zone; the log keeps the clock only.
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QLatin1Char('t'));
    const QDateTime now = QDateTime::currentDateTime();
    return QStringLiteral("Quenzar ") + locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(now.time(), timeFormat.trimmed()) + QLatin1Char('|') + message;
}

bool TAppFunc::WriteLog(const QString &message) const
{
    QFile file(StateFolder() + QStringLiteral("log.txt"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray line = LogLine(message).toUtf8() + "\r\n";
    const bool written = file.write(line) == line.size();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

bool TAppFunc::WriteCaughtError(const QString &context, const std::exception &error) const
{
    return WriteLog(context + QStringLiteral(": ") + QString::fromUtf8(error.what()));
}

QString TStrFunc::TextAfterLast(const QString &text, QChar separator)
{
    return text.mid(text.lastIndexOf(separator) + 1);
}

namespace {
qsizetype lastDelimiter(const QString &path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (IsPathDelimiter(path.at(i)))
            return i;
    }
    return -1;
}

QString fileNameOf(const QString &path)
{
    return path.mid(lastDelimiter(path) + 1);
}
} // namespace

QString TFileFunc::GetFileExtension(const QString &path)
{
    const QString name = fileNameOf(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

QString TFileFunc::GetFileFolder(const QString &path)
{
    return path.left(lastDelimiter(path) + 1);
}

QString TFileFunc::GetFileBaseName(const QString &path)
{
    const QString name = fileNameOf(path);
    const QString tail = TStrFunc::TextAfterLast(name, QLatin1Char('.'));
    return name.left(qMax<qsizetype>(0, name.size() - tail.size() - 1));
}

QStringList TFileFunc::ListFolderFiles(const QString &folder, const QString &extension)
{
    QStringList result;
    const QDir dir(folder);
    const QStringList names =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString &name : names) {
        const QString path = folder + name;
        // Plain folders are not listed; hidden ones (".name") are.
        if (QFileInfo(path).isDir() && !name.startsWith(QLatin1Char('.')))
            continue;
        if (!extension.isEmpty() && GetFileExtension(name) != extension)
            continue;
        result.append(path);
    }
    return result;
}

QString TFileFunc::MakeUniqueFileName(const QString &path)
{
    const QString folder = GetFileFolder(path);
    const QString originalBase = GetFileBaseName(path);
    const QString extension = GetFileExtension(path);
    QSet<QString> taken;
    for (const QString &entry : ListFolderFiles(folder, QString()))
        taken.insert(GetFileBaseName(entry));
    if (!taken.contains(originalBase))
        return folder + originalBase + extension;
    // base_1, then the number after the last "_" raised until the name is free.
    for (qint64 number = 1;; ++number) {
        const QString base = originalBase + QLatin1Char('_') + QString::number(number);
        if (!taken.contains(base))
            return folder + base + extension;
    }
}

void SplitText(const QString &text, QChar separator, QStringList &list)
{
    list.clear();
    for (const QString &piece : text.split(separator)) {
        if (!piece.isEmpty())
            list.append(piece);
    }
}
