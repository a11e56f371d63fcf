#include "media/StreamOrientation.h"

#include "media/LibavPointers.h"

#include <optional>

extern "C" {
#include <libavformat/avformat.h>
}

namespace media {
namespace {

// Packets read while looking for the first picture: a decoder that holds
// back pictures for reordering gives its first within a few dozen.
constexpr int PacketBudget = 256;

// The decoders that attach a display matrix of the stream's own to pictures.
bool mayCarryOrientation(AVCodecID codec)
{
    return codec == AV_CODEC_ID_H264 || codec == AV_CODEC_ID_HEVC;
}

CodecContextPtr openDecoder(const AVStream *stream)
{
    const AVCodec *decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    CodecContextPtr codec(decoder ? avcodec_alloc_context3(decoder) : nullptr);
    if (!codec || avcodec_parameters_to_context(codec.get(), stream->codecpar) < 0)
        return nullptr;
    // Only the first key picture's side data is wanted, not its pixels: the
    // pictures after it are passed over rather than decoded.
    codec->thread_count = 1;
    codec->skip_loop_filter = AVDISCARD_ALL;
    codec->skip_frame = AVDISCARD_NONKEY;
    return avcodec_open2(codec.get(), decoder, nullptr) >= 0 ? std::move(codec) : nullptr;
}

void rewind(AVFormatContext *context, const AVStream *stream)
{
    const int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    // Demuxers that search by decoding time (MPEG-TS) land past the first key
    // picture when asked for its showing time; a second earlier lands before.
    const int64_t earlier = start - av_rescale_q(1, AVRational{1, 1}, stream->time_base);
    if (avformat_seek_file(context, stream->index, INT64_MIN, earlier, earlier, 0) < 0)
        avformat_seek_file(context, stream->index, INT64_MIN, start, start, 0);
}

// The orientation of the decoded picture, once one came out: empty when the
// picture carries none of its own.
bool receivePicture(AVCodecContext *codec, AVFrame *frame, std::optional<TPictureOrientation> &orientation)
{
    if (avcodec_receive_frame(codec, frame) < 0)
        return false;
    if (const AVFrameSideData *matrix = av_frame_get_side_data(frame, AV_FRAME_DATA_DISPLAYMATRIX))
        orientation = OrientationOfDisplayMatrix(reinterpret_cast<const int32_t *>(matrix->data));
    return true;
}

// The picture a decoder still holds, asked for with no more to come.
bool drainPicture(AVCodecContext *codec, AVFrame *frame, std::optional<TPictureOrientation> &orientation)
{
    avcodec_send_packet(codec, nullptr);
    return receivePicture(codec, frame, orientation);
}

std::optional<TPictureOrientation> firstPictureOrientation(AVFormatContext *context, const AVStream *stream)
{
    const CodecContextPtr codec = openDecoder(stream);
    const PacketPtr packet(av_packet_alloc());
    const FramePtr frame(av_frame_alloc());
    if (!codec || !packet || !frame)
        return std::nullopt;
    rewind(context, stream);
    std::optional<TPictureOrientation> orientation;
    for (int read = 0; read < PacketBudget && av_read_frame(context, packet.get()) >= 0; ++read) {
        const bool ours = packet->stream_index == stream->index;
        const bool key = (packet->flags & AV_PKT_FLAG_KEY) != 0;
        const bool sent = ours && avcodec_send_packet(codec.get(), packet.get()) >= 0;
        av_packet_unref(packet.get());
        if (sent && receivePicture(codec.get(), frame.get(), orientation))
            return orientation;
        // A decoder that holds pictures back for reordering gives the key
        // picture when drained, without the ones after it; a packet marked
        // key that held no key picture gives none, and the search goes on.
        if (sent && key) {
            if (drainPicture(codec.get(), frame.get(), orientation))
                return orientation;
            avcodec_flush_buffers(codec.get());
        }
    }
    // A short stream: what the decoder still holds.
    drainPicture(codec.get(), frame.get(), orientation);
    return orientation;
}

} // namespace

TPictureOrientation ContainerOrientation(const AVStream *stream)
{
    const uint8_t *matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr);
    return matrix ? OrientationOfDisplayMatrix(reinterpret_cast<const int32_t *>(matrix)) : TPictureOrientation();
}

TPictureOrientation ShownOrientation(AVFormatContext *context, int streamIndex)
{
    const AVStream *stream = context->streams[streamIndex];
    std::optional<TPictureOrientation> own;
    if (mayCarryOrientation(stream->codecpar->codec_id))
        own = firstPictureOrientation(context, stream);
    return own.value_or(ContainerOrientation(stream));
}

} // namespace media
