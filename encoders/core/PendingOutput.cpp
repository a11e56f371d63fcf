#include "PendingOutput.h"

#include "EncoderError.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace encoder {

namespace {

constexpr mode_t fileMode = 0666; // narrowed by the umask, as any new file

std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string systemText(int error)
{
    return std::strerror(error);
}

void checkFolder(const std::string &folder)
{
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0)
        throw EncoderError("the output folder \"" + folder + "\" does not exist");
    if (!S_ISDIR(info.st_mode))
        throw EncoderError("\"" + folder + "\" is not a folder");
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        throw EncoderError("cannot write to the output folder \"" + folder + "\"");
}

void checkName(const std::string &path, bool overwrite)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return;
    if (S_ISDIR(info.st_mode))
        throw EncoderError("the output \"" + path + "\" is a folder");
    if (!overwrite)
        throw EncoderError("the output \"" + path + "\" already exists (-y allows overwriting it)");
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

std::string descriptorPath(int descriptor)
{
    return "/proc/self/fd/" + std::to_string(descriptor);
}

EncoderError takenMeanwhile(const std::string &path)
{
    return EncoderError("another program took the output's name meanwhile; its file \"" + path + "\" is left as it is");
}

EncoderError cannotSave(const std::string &path, int error)
{
    return EncoderError("cannot save the output \"" + path + "\": " + systemText(error));
}

// Links the unnamed file under a fresh name beside the target.
std::string linkUnderFreshName(int descriptor, const std::string &target)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = target + ".part" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        if (::linkat(AT_FDCWD, descriptorPath(descriptor).c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return name;
        if (errno != EEXIST)
            break;
    }
    throw cannotSave(target, errno);
}

std::optional<PendingOutput::Identity> identityAt(const std::string &path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return std::nullopt;
    return PendingOutput::Identity{info.st_dev, info.st_ino};
}

// The file system cannot swap or refuse to replace in one step.
bool renameFlagsUnsupported(int error)
{
    return error == EINVAL || error == ENOSYS;
}

// Renames from to the name to if nothing or the expected file stands there.
// Only for file systems that cannot swap names or refuse to replace: a file
// put at the name between this look and the rename is replaced, as the file
// system leaves no way to close that gap.
void renameIfNameHolds(const std::string &from, const std::string &to,
                       const std::optional<PendingOutput::Identity> &expected)
{
    if (const std::optional<PendingOutput::Identity> there = identityAt(to); there && there != expected)
        throw takenMeanwhile(to);
    if (::rename(from.c_str(), to.c_str()) != 0)
        throw cannotSave(to, errno);
}

// After a swap that brought a stranger's file to fresh: swaps back, or where
// the name went away meanwhile, moves the stranger's file back to it.
void giveNameBack(const std::string &fresh, const std::string &name)
{
    if (::renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, name.c_str(), RENAME_EXCHANGE) != 0)
        ::rename(fresh.c_str(), name.c_str());
}

// Moves from to the name to unless a file stands there.
void moveWithoutReplacing(const std::string &from, const std::string &to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return;
    if (errno == EEXIST)
        throw takenMeanwhile(to);
    if (!renameFlagsUnsupported(errno))
        throw cannotSave(to, errno);
    renameIfNameHolds(from, to, std::nullopt);
}

} // namespace

PendingOutput::PendingOutput(const std::string &outputPath, bool overwrite, Kind kind) : m_outputPath(outputPath)
{
    const std::string folder = folderOf(outputPath);
    checkFolder(folder);
    checkName(outputPath, overwrite);
    // Only a file the caller allows to be replaced is taken as a claim; one
    // that appears after the look above is left to the commit's no-replace
    // move, which refuses it.
    if (overwrite)
        holdClaim();
    try {
        if (kind == Kind::UnnamedWherePossible)
            openUnnamed(folder);
        if (m_descriptor < 0)
            openNamed();
    } catch (...) {
        releaseClaim();
        throw;
    }
}

PendingOutput::~PendingOutput()
{
    discard();
}

void PendingOutput::holdClaim()
{
    m_claimDescriptor = ::open(m_outputPath.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (m_claimDescriptor < 0) {
        if (errno == ENOENT)
            return;
        throw EncoderError("cannot open the output \"" + m_outputPath + "\": " + systemText(errno));
    }
    struct stat info {};
    if (::fstat(m_claimDescriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        releaseClaim();
        throw EncoderError("the output \"" + m_outputPath + "\" is not a plain file");
    }
    m_claim = {info.st_dev, info.st_ino};
}

void PendingOutput::releaseClaim() noexcept
{
    if (m_claimDescriptor >= 0)
        ::close(m_claimDescriptor);
    m_claimDescriptor = -1;
}

void PendingOutput::openUnnamed(const std::string &folder)
{
    m_descriptor = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, fileMode);
    if (m_descriptor >= 0)
        return;
    // Without support for unnamed files the fallback takes over; any other
    // failure means the folder cannot take the output at all.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT)
        throw EncoderError("cannot write to the output folder \"" + folder + "\": " + systemText(errno));
}

void PendingOutput::openNamed()
{
    std::string name = m_outputPath + ".XXXXXX.part";
    const int descriptor = ::mkostemps(name.data(), 5, O_CLOEXEC);
    if (descriptor < 0)
        throw EncoderError("cannot create the output \"" + m_outputPath + "\": " + systemText(errno));
    ::fchmod(descriptor, fileMode & ~currentUmask());
    ::close(descriptor);
    m_namedPath = name;
}

std::string PendingOutput::pathForChild(int childDescriptor) const
{
    return m_namedPath.empty() ? descriptorPath(childDescriptor) : m_namedPath;
}

void PendingOutput::commit()
{
    if (m_done)
        return;
    if (m_namedPath.empty())
        commitUnnamed();
    else
        commitNamed();
    m_done = true;
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    m_descriptor = -1;
    releaseClaim();
}

void PendingOutput::commitUnnamed()
{
    // Linking straight to the name never replaces a file; the claim is
    // replaced through a fresh name beside it.
    if (::linkat(AT_FDCWD, descriptorPath(m_descriptor).c_str(), AT_FDCWD, m_outputPath.c_str(), AT_SYMLINK_FOLLOW) ==
        0)
        return;
    if (errno != EEXIST)
        throw cannotSave(m_outputPath, errno);
    if (m_claimDescriptor < 0)
        throw takenMeanwhile(m_outputPath);
    const std::string fresh = linkUnderFreshName(m_descriptor, m_outputPath);
    try {
        replaceClaim(fresh);
    } catch (...) {
        ::unlink(fresh.c_str());
        throw;
    }
}

void PendingOutput::commitNamed()
{
    // File systems without unnamed files often lack hard links as well.
    if (m_claimDescriptor < 0)
        moveWithoutReplacing(m_namedPath, m_outputPath);
    else
        replaceClaim(m_namedPath);
}

// Puts fresh at the output's name if the claim still stands there. Swapping
// the two shows what was at the name in the same step; a stranger's file is
// swapped back. On failure fresh still holds the encoded file.
void PendingOutput::replaceClaim(const std::string &fresh)
{
    if (::renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, m_outputPath.c_str(), RENAME_EXCHANGE) == 0) {
        if (identityAt(fresh) == m_claim) {
            ::unlink(fresh.c_str());
            return;
        }
        giveNameBack(fresh, m_outputPath);
        throw takenMeanwhile(m_outputPath);
    }
    if (errno == ENOENT) { // the claim is gone: nothing to replace
        moveWithoutReplacing(fresh, m_outputPath);
        return;
    }
    if (!renameFlagsUnsupported(errno))
        throw cannotSave(m_outputPath, errno);
    renameIfNameHolds(fresh, m_outputPath, m_claim);
}

void PendingOutput::discard() noexcept
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    m_descriptor = -1;
    if (!m_done && !m_namedPath.empty())
        ::unlink(m_namedPath.c_str());
    m_done = true;
    releaseClaim();
}

} // namespace encoder
