#pragma once

#include <QString>

#include <functional>

// Where the conversion writes its log lines: the program's log.txt, or
// whatever a test listens with.
using TLogWriter = std::function<void(const QString &line)>;
