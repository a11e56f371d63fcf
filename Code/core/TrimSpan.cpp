#include "Code/core/TrimSpan.h"

QString TrimLengthText(const std::optional<TTrimSpan> &span)
{
    return span ? QString::number(span->Length()) : QString();
}

QString TrimCommandOptions(const std::optional<TTrimSpan> &span)
{
    if (!span || span->StartText.isEmpty())
        return QString();
    return QStringLiteral(" -ss ") + span->StartText + QStringLiteral(" -t ") + TrimLengthText(span);
}
