#include "platform/Platform.h"

namespace platform {
namespace {
std::unique_ptr<Platform> &slot()
{
    static std::unique_ptr<Platform> instance;
    return instance;
}
} // namespace

Platform &current()
{
    auto &instance = slot();
    if (!instance)
        instance = createSystemPlatform();
    return *instance;
}

void setCurrent(std::unique_ptr<Platform> replacement)
{
    slot() = std::move(replacement);
}

bool sameExecutableName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QList<qint64> findProcessIds(const QString &exeName)
{
    QList<qint64> ids;
    for (const ProcessEntry &entry : current().runningProcesses()) {
        if (sameExecutableName(entry.exeName, exeName))
            ids.append(entry.pid);
    }
    return ids;
}

} // namespace platform
