#include "platform/FileClaims.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr mode_t newFileMode = 0666; // the umask takes its part, as for any new file

class LinuxHeldFile final : public HeldFile {
public:
    explicit LinuxHeldFile(int descriptor) : m_descriptor(descriptor) {}
    ~LinuxHeldFile() override { ::close(m_descriptor); }
    LinuxHeldFile(const LinuxHeldFile &) = delete;
    LinuxHeldFile &operator=(const LinuxHeldFile &) = delete;

    // Written in place: the hold is on this very file, a replacement under
    // its name would not be held.
    bool replaceContent(const QByteArray &content) override
    {
        if (::ftruncate(m_descriptor, 0) != 0)
            return false;
        qsizetype written = 0;
        while (written < content.size()) {
            const ssize_t got = ::pwrite(m_descriptor, content.constData() + written,
                                         static_cast<size_t>(content.size() - written), written);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            written += got;
        }
        return ::fdatasync(m_descriptor) == 0;
    }

private:
    int m_descriptor;
};

FileIdentity identityOf(const struct stat &status)
{
    return {static_cast<quint64>(status.st_dev), static_cast<quint64>(status.st_ino),
            qint64(status.st_ctim.tv_sec) * 1000000000 + status.st_ctim.tv_nsec};
}

} // namespace

std::optional<FileIdentity> fileIdentity(const QString &path)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return identityOf(status);
}

std::optional<FileIdentity> createNewFile(const QString &path, bool &taken)
{
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, newFileMode);
    taken = descriptor < 0 && errno == EEXIST;
    if (descriptor < 0)
        return std::nullopt;
    struct stat status {};
    const bool known = ::fstat(descriptor, &status) == 0;
    ::close(descriptor);
    if (!known)
        return std::nullopt;
    return identityOf(status);
}

bool removeIfSameFile(const QString &path, const FileIdentity &identity)
{
    // Between the look and the removal another program could still put a file
    // there; our own encoders never do (they replace only what they found).
    if (fileIdentity(path) != identity)
        return false;
    return ::unlink(QFile::encodeName(path).constData()) == 0;
}

std::unique_ptr<HeldFile> holdFile(const QString &path, bool &heldElsewhere)
{
    heldElsewhere = false;
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, newFileMode);
    if (descriptor < 0)
        return nullptr;
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        heldElsewhere = errno == EWOULDBLOCK;
        ::close(descriptor);
        return nullptr;
    }
    return std::make_unique<LinuxHeldFile>(descriptor);
}

} // namespace platform
