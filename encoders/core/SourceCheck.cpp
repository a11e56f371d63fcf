#include "SourceCheck.h"

#include "EncoderError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace encoder {

void checkReadableFile(const std::string &path, const std::string &what)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        throw EncoderError("the " + what + " \"" + path + "\" does not exist");
    if (!S_ISREG(info.st_mode))
        throw EncoderError("the " + what + " \"" + path + "\" is not a file");
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        throw EncoderError("cannot read the " + what + " \"" + path + "\": " + std::strerror(errno));
    ::close(descriptor);
}

void checkDistinct(const std::string &inputPath, const std::string &outputPath)
{
    struct stat input {};
    struct stat output {};
    if (::stat(inputPath.c_str(), &input) != 0 || ::stat(outputPath.c_str(), &output) != 0)
        return;
    if (input.st_dev == output.st_dev && input.st_ino == output.st_ino)
        throw EncoderError("the output \"" + outputPath + "\" is the input file itself");
}

} // namespace encoder
