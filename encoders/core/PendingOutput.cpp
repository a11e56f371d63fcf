#include "PendingOutput.h"

#include "EncoderError.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
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
    throw EncoderError("cannot save the output \"" + target + "\": " + systemText(errno));
}

} // namespace

PendingOutput::PendingOutput(const std::string &outputPath, bool overwrite, Kind kind)
    : m_outputPath(outputPath), m_overwrite(overwrite)
{
    const std::string folder = folderOf(outputPath);
    checkFolder(folder);
    checkName(outputPath, overwrite);
    if (kind == Kind::UnnamedWherePossible)
        openUnnamed(folder);
    if (m_descriptor < 0)
        openNamed();
}

PendingOutput::~PendingOutput()
{
    discard();
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
    if (m_namedPath.empty()) {
        // Linking straight to the name refuses to replace a file that turned
        // up meanwhile; with -y a fresh name is linked and renamed over it.
        if (::linkat(AT_FDCWD, descriptorPath(m_descriptor).c_str(), AT_FDCWD, m_outputPath.c_str(),
                     AT_SYMLINK_FOLLOW) != 0) {
            if (errno != EEXIST || !m_overwrite)
                throw EncoderError("cannot save the output \"" + m_outputPath + "\": " + systemText(errno));
            const std::string fresh = linkUnderFreshName(m_descriptor, m_outputPath);
            if (::rename(fresh.c_str(), m_outputPath.c_str()) != 0) {
                const int error = errno;
                ::unlink(fresh.c_str());
                throw EncoderError("cannot save the output \"" + m_outputPath + "\": " + systemText(error));
            }
        }
    } else {
        // File systems without unnamed files often lack hard links as well.
        checkName(m_outputPath, m_overwrite);
        if (::rename(m_namedPath.c_str(), m_outputPath.c_str()) != 0)
            throw EncoderError("cannot save the output \"" + m_outputPath + "\": " + systemText(errno));
    }
    m_done = true;
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    m_descriptor = -1;
}

void PendingOutput::discard() noexcept
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    m_descriptor = -1;
    if (!m_done && !m_namedPath.empty())
        ::unlink(m_namedPath.c_str());
    m_done = true;
}

} // namespace encoder
