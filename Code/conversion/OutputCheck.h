#pragma once

#include "Code/core/TrimSpan.h"

#include <QString>

#include <optional>

// What a finished row delivered, judged by reading its output back.
struct TOutputVerdict {
    enum Kind { Good, Warning, Failed };
    Kind Verdict = Good;
    QString Reason; // plain words for the user; empty when good
};

// Opens `outputFile` as media: it must read, carry the streams the output
// type asks for (video for a video type when the source has a picture, sound
// when the source has sound or the type is audio only), and last as long as
// the cut, within a second, the cut ending at the latest where the source
// says it ends. A shorter output is kept with a warning: it is what the source
// really holds, whatever its header claims.
TOutputVerdict CheckOutputFile(const QString &outputFile, const QString &sourceFile, bool audioOnly,
                               const std::optional<TTrimSpan> &trim);
