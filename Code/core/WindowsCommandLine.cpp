#include "Code/core/WindowsCommandLine.h"

namespace {

constexpr QChar quote = QLatin1Char('"');
constexpr QChar backslash = QLatin1Char('\\');

bool isSeparator(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

qsizetype skipSeparators(const QString &text, qsizetype at)
{
    while (at < text.size() && isSeparator(text.at(at)))
        ++at;
    return at;
}

// The program word: quotes group and vanish, nothing else is special.
QString readProgramWord(const QString &text, qsizetype &at)
{
    QString word;
    bool inQuotes = false;
    for (; at < text.size(); ++at) {
        const QChar c = text.at(at);
        if (c == quote)
            inQuotes = !inQuotes;
        else if (!inQuotes && isSeparator(c))
            break;
        else
            word.append(c);
    }
    return word;
}

// One argument word, with the backslash and double-quote rules.
QString readArgumentWord(const QString &text, qsizetype &at)
{
    QString word;
    bool inQuotes = false;
    while (at < text.size()) {
        qsizetype backslashes = 0;
        while (at < text.size() && text.at(at) == backslash) {
            ++backslashes;
            ++at;
        }
        const bool atQuote = at < text.size() && text.at(at) == quote;
        if (!atQuote) {
            word.append(QString(backslashes, backslash));
            if (at >= text.size() || (!inQuotes && isSeparator(text.at(at))))
                break;
            word.append(text.at(at++));
            continue;
        }
        word.append(QString(backslashes / 2, backslash));
        if (backslashes % 2 == 1) {
            word.append(quote);
        } else if (inQuotes && at + 1 < text.size() && text.at(at + 1) == quote) {
            // A doubled quote inside a quoted run is a literal quote; the run goes on.
            word.append(quote);
            ++at;
        } else {
            inQuotes = !inQuotes;
        }
        ++at;
    }
    return word;
}

bool needsEscaping(const QString &path)
{
    return path.contains(quote) || path.endsWith(backslash);
}

} // namespace

QStringList SplitCommandLine(const QString &commandLine)
{
    QStringList words;
    qsizetype at = skipSeparators(commandLine, 0);
    if (at >= commandLine.size())
        return words;
    words.append(readProgramWord(commandLine, at));
    for (at = skipSeparators(commandLine, at); at < commandLine.size(); at = skipSeparators(commandLine, at))
        words.append(readArgumentWord(commandLine, at));
    return words;
}

QString QuoteCommandArgument(const QString &path)
{
    if (!needsEscaping(path))
        return quote + path + quote;
    QString quoted(quote);
    qsizetype backslashes = 0;
    for (const QChar c : path) {
        if (c == backslash) {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote must be doubled, and the quote escaped.
        const qsizetype copies = c == quote ? backslashes * 2 + 1 : backslashes;
        quoted.append(QString(copies, backslash));
        quoted.append(c);
        backslashes = 0;
    }
    // Trailing backslashes stand before the closing quote: double them.
    quoted.append(QString(backslashes * 2, backslash));
    quoted.append(quote);
    return quoted;
}
