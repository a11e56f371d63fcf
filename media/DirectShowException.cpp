#include "media/DirectShowException.h"

#include "media/ResultCodes.h"

namespace {

std::string composeText(const QString &engineText, quint32 code)
{
    const QString hex = QString::number(code, 16).toUpper();
    return QStringLiteral("%1 ($%2).").arg(engineText, hex).toStdString();
}

} // namespace

EDirectShowException::EDirectShowException(quint32 code) : EDirectShowException(media::result::Text(code), code) {}

EDirectShowException::EDirectShowException(const QString &engineText, quint32 code)
    : std::runtime_error(composeText(engineText, code)), m_code(code)
{
}
