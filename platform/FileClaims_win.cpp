#include "platform/FileClaims.h"

#include <windows.h>

namespace platform {
namespace {

class WindowsHeldFile final : public HeldFile {
public:
    explicit WindowsHeldFile(HANDLE file) : m_file(file) {}
    ~WindowsHeldFile() override { CloseHandle(m_file); }
    WindowsHeldFile(const WindowsHeldFile &) = delete;
    WindowsHeldFile &operator=(const WindowsHeldFile &) = delete;

    bool replaceContent(const QByteArray &content) override
    {
        LARGE_INTEGER start{};
        DWORD written = 0;
        return SetFilePointerEx(m_file, start, nullptr, FILE_BEGIN) && SetEndOfFile(m_file) &&
               WriteFile(m_file, content.constData(), static_cast<DWORD>(content.size()), &written, nullptr) &&
               written == static_cast<DWORD>(content.size()) && FlushFileBuffers(m_file);
    }

private:
    HANDLE m_file;
};

std::wstring native(const QString &path)
{
    return path.toStdWString();
}

std::optional<FileIdentity> identityOf(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(file, &information))
        return std::nullopt;
    const FILETIME made = information.ftCreationTime;
    return FileIdentity{information.dwVolumeSerialNumber,
                        (quint64(information.nFileIndexHigh) << 32) | information.nFileIndexLow,
                        qint64((quint64(made.dwHighDateTime) << 32) | made.dwLowDateTime) * 100};
}

} // namespace

std::optional<FileIdentity> fileIdentity(const QString &path)
{
    const HANDLE file = CreateFileW(native(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    const std::optional<FileIdentity> identity = identityOf(file);
    CloseHandle(file);
    return identity;
}

std::optional<FileIdentity> createNewFile(const QString &path, bool &taken)
{
    const HANDLE file = CreateFileW(native(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    taken = file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS;
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    const std::optional<FileIdentity> identity = identityOf(file);
    CloseHandle(file);
    return identity;
}

bool removeIfSameFile(const QString &path, const FileIdentity &identity)
{
    if (fileIdentity(path) != identity)
        return false;
    return DeleteFileW(native(path).c_str()) != 0;
}

std::unique_ptr<HeldFile> holdFile(const QString &path, bool &heldElsewhere)
{
    // No write sharing: a second holder is refused while this handle lives;
    // the encoder may still read it.
    const HANDLE file = CreateFileW(native(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    heldElsewhere = file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<WindowsHeldFile>(file);
}

} // namespace platform
