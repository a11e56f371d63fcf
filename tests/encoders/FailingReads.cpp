// Preloaded into ffmpeg by tst_enc_readerror: reads of the file named by
// FAILING_READS_FILE fail with EIO from byte FAILING_READS_AFTER on, as on a
// disk that has gone bad there; a read across that byte gives what lies
// before it. Every other read passes through unchanged.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// The byte from which reads of descriptor fail; -1 when they never do.
off_t failingFrom(int descriptor)
{
    const char *path = std::getenv("FAILING_READS_FILE");
    const char *after = std::getenv("FAILING_READS_AFTER");
    if (!path || !after)
        return -1;
    char link[64];
    char target[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", descriptor);
    const ssize_t length = ::readlink(link, target, sizeof target - 1);
    if (length < 0)
        return -1;
    target[length] = '\0';
    return std::strcmp(target, path) == 0 ? off_t(std::strtoll(after, nullptr, 10)) : -1;
}

// How much of a read at offset the disk still gives; -1 with EIO for none.
ssize_t readable(int descriptor, off_t offset, size_t count)
{
    const off_t limit = failingFrom(descriptor);
    if (limit < 0 || offset < 0)
        return ssize_t(count);
    if (offset >= limit) {
        errno = EIO;
        return -1;
    }
    return ssize_t(std::min(off_t(count), limit - offset));
}

ssize_t readAt(int descriptor, void *buffer, size_t count, off_t offset)
{
    const ssize_t granted = readable(descriptor, offset, count);
    if (granted < 0)
        return -1;
    return ::syscall(SYS_pread64, descriptor, buffer, size_t(granted), offset);
}

} // namespace

extern "C" {

ssize_t read(int descriptor, void *buffer, size_t count)
{
    const ssize_t granted = readable(descriptor, ::lseek(descriptor, 0, SEEK_CUR), count);
    if (granted < 0)
        return -1;
    return ::syscall(SYS_read, descriptor, buffer, size_t(granted));
}

ssize_t pread(int descriptor, void *buffer, size_t count, off_t offset)
{
    return readAt(descriptor, buffer, count, offset);
}

ssize_t pread64(int descriptor, void *buffer, size_t count, off64_t offset)
{
    return readAt(descriptor, buffer, count, offset);
}

} // extern "C"
