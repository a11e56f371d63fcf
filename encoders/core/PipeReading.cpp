#include "PipeReading.h"

#include "EncoderError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace encoder {

PipeEnds makePipeEnds()
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        throw EncoderError(std::string("cannot create a pipe: ") + std::strerror(errno));
    return {ends[0], ends[1]};
}

void closePipeEnd(int &descriptor)
{
    if (descriptor >= 0)
        ::close(descriptor);
    descriptor = -1;
}

bool readChunk(int descriptor, std::string &into)
{
    char buffer[4096];
    const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
    into.clear();
    if (got < 0)
        return errno == EINTR || errno == EAGAIN;
    into.assign(buffer, static_cast<std::size_t>(got));
    return got > 0;
}

} // namespace encoder
