#pragma once

// The progress window's reading of a status line: the text after the fourth
// "=" (video) or the second "=" (audio only), whole seconds before the ".".
// Gives the whole-seconds text, or an empty text when the line has too few
// fields.

#include <QStringList>

namespace encodertest {

inline QString windowSeconds(const QString &line, bool audioOnly)
{
    const QStringList fields = line.split('=');
    const int needed = audioOnly ? 4 : 5;
    if (fields.size() < needed)
        return QString();
    return fields.at(audioOnly ? 2 : 4).split('.').first();
}

} // namespace encodertest
