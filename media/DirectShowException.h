#pragma once

// The one exception type of the media engine: the engine's error text
// followed by " ($<code>)." with the code in hexadecimal.

#include <QString>
#include <QtGlobal>
#include <stdexcept>

class EDirectShowException : public std::runtime_error {
public:
    // The text is the engine's own text for the code.
    explicit EDirectShowException(quint32 code);
    EDirectShowException(const QString &engineText, quint32 code);

    QString text() const { return QString::fromUtf8(what()); }
    quint32 code() const { return m_code; }

private:
    quint32 m_code;
};
