#pragma once

#include <QString>
#include <QStringList>

// A short, plain reason for a failed conversion, taken from the last error
// line the encoder printed; empty when there is none.
QString FailureReasonFrom(const QString &encoderOutput);

// The encoder's last few lines, status lines included, for the log.
QStringList LastOutputLines(const QString &encoderOutput, int count);
