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

} // namespace platform
