#pragma once

#include <QString>

#include <stdexcept>

// Errors raised by the program's own operations. The message is the text a
// user would see in the general error box.
class EMovarelError : public std::runtime_error {
public:
    explicit EMovarelError(const QString &message) : std::runtime_error(message.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

// A text that should hold a number does not.
class EConvertError : public EMovarelError {
public:
    using EMovarelError::EMovarelError;
};

// A file could not be opened for reading.
class EFOpenError : public EMovarelError {
public:
    using EMovarelError::EMovarelError;
};

// A file could not be created or replaced.
class EFCreateError : public EMovarelError {
public:
    using EMovarelError::EMovarelError;
};

// A caller broke an operation's precondition.
class EAssertionFailed : public EMovarelError {
public:
    using EMovarelError::EMovarelError;
};
