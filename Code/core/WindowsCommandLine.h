#pragma once

#include <QString>
#include <QStringList>

// The encoder command line is one text, as on Windows; these two functions
// keep its quoting rules in one place so that the builder and the runner agree.

// Words of a command line by the Windows C runtime rules. The first word (the
// program) only knows double quotes as grouping; backslashes in it are always
// literal. In every later word: blanks and tabs outside double quotes separate
// words; a double quote opens or closes a quoted run; 2n backslashes before a
// double quote give n backslashes and the quote opens or closes a run; 2n+1
// give n backslashes and a literal quote; backslashes elsewhere are literal;
// inside a quoted run two double quotes give one literal quote. An unclosed run
// ends at the end of the text. Leading blanks are skipped.
QStringList SplitCommandLine(const QString &commandLine);

// `path` as one command-line word that SplitCommandLine gives back unchanged
// (in any position after the first). Ordinary paths are simply enclosed in
// double quotes; a path holding a double quote or ending in backslashes is
// escaped, so that it can never end the quoted run early and add words.
QString QuoteCommandArgument(const QString &path);
