#include "Code/core/EncoderFailure.h"

#include <QRegularExpression>

namespace {

QStringList outputLines(const QString &text)
{
    static const QRegularExpression breaks(QStringLiteral("[\\r\\n]+"));
    QStringList lines;
    for (const QString &line : text.split(breaks)) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            lines.append(trimmed);
    }
    return lines;
}

bool isStatusLine(const QString &line)
{
    return line.startsWith(QLatin1String("frame=")) || line.startsWith(QLatin1String("size="));
}

} // namespace

QString FailureReasonFrom(const QString &encoderOutput)
{
    static const QStringList known{
        QStringLiteral("Permission denied"),
        QStringLiteral("No space left on device"),
        QStringLiteral("Invalid data found when processing input"),
        QStringLiteral("No such file or directory"),
        QStringLiteral("Read-only file system"),
        QStringLiteral("Disk quota exceeded"),
    };
    const QStringList lines = outputLines(encoderOutput);
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        if (isStatusLine(*line))
            continue;
        for (const QString &phrase : known) {
            if (line->contains(phrase, Qt::CaseInsensitive))
                return phrase;
        }
        QString reason = *line;
        // "vidcoda: reason" reads better without the program's name.
        static const QRegularExpression programPrefix(QStringLiteral("^(vidcoda|rmcoda|ffmpeg)[^:]*:\\s*"));
        reason.remove(programPrefix);
        return reason.size() > 160 ? reason.left(157) + QStringLiteral("...") : reason;
    }
    return QString();
}

QStringList LastOutputLines(const QString &encoderOutput, int count)
{
    const QStringList lines = outputLines(encoderOutput);
    return lines.mid(qMax<qsizetype>(0, lines.size() - count));
}
