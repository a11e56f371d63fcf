// The encoder command line's Windows quoting rules: any text splits without
// fault, and any list of arguments, each quoted, splits back into exactly
// those words behind the program's path.

#include "FuzzEntry.h"

#include "Code/core/WindowsCommandLine.h"

namespace {

QString textOf(std::string_view bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

void quotedWordsSplitBack(const QStringList &arguments)
{
    const QString program = QStringLiteral("/opt/My Programs/vidcoda");
    QString commandLine = QLatin1Char('"') + program + QLatin1Char('"');
    for (const QString &argument : arguments)
        commandLine += QLatin1Char(' ') + QuoteCommandArgument(argument);
    fuzz::check(SplitCommandLine(commandLine) == QStringList{program} + arguments, "quoted words split back");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes = fuzz::textOf(data, size);
    // The words of any text, quoted again, are the same words.
    const QStringList split = SplitCommandLine(textOf(bytes));
    quotedWordsSplitBack(split.mid(1));

    QStringList arguments;
    for (const std::string &word : fuzz::wordsOf(bytes))
        arguments.append(textOf(word));
    quotedWordsSplitBack(arguments);
    return 0;
}
