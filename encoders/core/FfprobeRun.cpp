#include "FfprobeRun.h"

#include "FfmpegProcess.h"
#include "PipeReading.h"
#include "SignalWatch.h"

#include <cerrno>
#include <poll.h>

namespace encoder {

FfprobeEnd runFfprobe(const std::string &ffmpegProgram, const std::vector<std::string> &arguments, SignalWatch &signals,
                      const std::function<void(std::string_view)> &take)
{
    FfprobeEnd end;
    const std::string ffprobe = programBeside(ffmpegProgram, "ffprobe");
    if (ffprobe.empty())
        return end;
    PipeEnds listing = makePipeEnds();
    FfmpegProcess probe;
    try {
        probe.start(ffprobe, arguments, {-1, listing.write, -1});
    } catch (...) {
        closePipeEnd(listing.read);
        closePipeEnd(listing.write);
        throw;
    }
    closePipeEnd(listing.write);
    std::string chunk;
    while (listing.read >= 0 || probe.errorPipe() >= 0) {
        pollfd descriptors[3] = {
            {listing.read, POLLIN, 0}, {probe.errorPipe(), POLLIN, 0}, {signals.descriptor(), POLLIN, 0}};
        if (::poll(descriptors, 3, -1) < 0 && errno != EINTR)
            break;
        if (descriptors[2].revents & POLLIN) {
            end.signal = signals.take();
            if (end.signal != 0) {
                probe.kill();
                break;
            }
        }
        if (descriptors[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            if (readChunk(listing.read, chunk))
                take(chunk);
            else
                closePipeEnd(listing.read);
        }
        // Its messages are read only so that it never stalls on a full pipe.
        if (descriptors[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            if (!readChunk(probe.errorPipe(), chunk))
                probe.closeErrorPipe();
        }
    }
    closePipeEnd(listing.read);
    end.succeeded = probe.wait() == 0 && end.signal == 0;
    return end;
}

} // namespace encoder
