#pragma once

// Owning pointers for the libav objects the probe makes.

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace media {

struct CodecContextFree {
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;

struct PacketFree {
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;

struct FrameFree {
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;

} // namespace media
