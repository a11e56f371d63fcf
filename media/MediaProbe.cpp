#include "media/MediaProbe.h"

#include "media/DirectShowException.h"
#include "media/LibavPointers.h"
#include "media/StreamOrientation.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string_view>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
}

namespace media {
namespace {

// FLV files announce their streams in the file header, but libavformat only
// creates them when their first packets arrive; this many packets is plenty.
constexpr int FlvPacketBudget = 64;
constexpr int FlvHeaderSize = 5;
constexpr char FlvHasAudio = 0x04;
constexpr char FlvHasVideo = 0x01;
// Streams of a program stream show up within its first second, as a
// splitter scanning the file's start would find them; the rest of the file
// is left to the timing estimate, which reads the end.
constexpr int64_t ProgramStreamScan = AV_TIME_BASE;

// How much of the file a container needs before its streams are known.
enum class Discovery {
    Header,       // the header lists every stream and its codec (MP4, AVI, ASF, RealMedia)
    FirstPackets, // streams appear with the first packets, duration in the header (FLV)
    StreamInfo,   // streams and duration only from reading packets (MPEG program streams)
    AllPackets,   // nothing states a duration: read to the last packet (SWF)
};

void keepLibavQuiet()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

struct InputCloser {
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
using Input = std::unique_ptr<AVFormatContext, InputCloser>;

// Checked before libavformat sees the name: opening a folder, a FIFO or a
// device would fail late or block.
void requireRegularFile(const QString &fileName)
{
    std::error_code error;
    const auto status = std::filesystem::status(QFile::encodeName(fileName).toStdString(), error);
    if (!std::filesystem::exists(status))
        throw EDirectShowException(result::FileNotFound);
    if (!std::filesystem::is_regular_file(status))
        throw EDirectShowException(result::AccessDenied);
}

quint32 codeForOpenError(int error)
{
    if (error == AVERROR(ENOENT))
        return result::FileNotFound;
    if (error == AVERROR(EACCES) || error == AVERROR(EPERM) || error == AVERROR(EISDIR))
        return result::AccessDenied;
    return result::UnsupportedStream;
}

Input openInput(const QString &fileName)
{
    // "file:" keeps names with a colon from being read as another protocol;
    // the white list keeps a crafted file from reaching out to the network.
    const QByteArray url = "file:" + QFile::encodeName(QFileInfo(fileName).absoluteFilePath());
    AVDictionary *options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    AVFormatContext *context = nullptr;
    const int error = avformat_open_input(&context, url.constData(), nullptr, &options);
    av_dict_free(&options);
    if (error < 0)
        throw EDirectShowException(codeForOpenError(error));
    return Input(context);
}

Discovery discoveryFor(const AVFormatContext *context)
{
    if (!(context->ctx_flags & AVFMTCTX_NOHEADER))
        return Discovery::Header;
    const std::string_view name = context->iformat->name;
    if (name == "flv" || name == "live_flv")
        return Discovery::FirstPackets;
    if (name == "swf")
        return Discovery::AllPackets;
    return Discovery::StreamInfo;
}

bool isMediaStream(const AVStream *stream)
{
    const AVMediaType type = stream->codecpar->codec_type;
    return type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO || type == AVMEDIA_TYPE_SUBTITLE;
}

// Having a decoder is not enough: it must accept what the container says of
// the stream (an audio profile it does not implement fails here).
bool decoderOpens(const AVStream *stream)
{
    const AVCodecID id = stream->codecpar->codec_id;
    const AVCodec *decoder = id != AV_CODEC_ID_NONE ? avcodec_find_decoder(id) : nullptr;
    if (!decoder)
        return false;
    const CodecContextPtr context(avcodec_alloc_context3(decoder));
    if (!context || avcodec_parameters_to_context(context.get(), stream->codecpar) < 0)
        return false;
    context->thread_count = 1; // only opened, never run
    return avcodec_open2(context.get(), decoder, nullptr) >= 0;
}

// The earliest and latest instants the packets read so far cover, in
// AV_TIME_BASE units.
class PacketSpan {
public:
    void add(const AVFormatContext *context, const AVPacket *packet)
    {
        const int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (stamp == AV_NOPTS_VALUE)
            return;
        const AVRational base = context->streams[packet->stream_index]->time_base;
        const int64_t length = std::max<int64_t>(packet->duration, 0);
        m_first = std::min(m_first, av_rescale_q(stamp, base, AV_TIME_BASE_Q));
        m_last = std::max(m_last, av_rescale_q(stamp + length, base, AV_TIME_BASE_Q));
    }
    int64_t length() const { return m_last > m_first ? m_last - m_first : 0; }

private:
    int64_t m_first = INT64_MAX;
    int64_t m_last = INT64_MIN;
};

// Reads one packet into the span; false at the end of the file.
bool readPacket(AVFormatContext *context, PacketSpan &span)
{
    const PacketPtr packet(av_packet_alloc());
    const bool read = packet && av_read_frame(context, packet.get()) >= 0;
    if (read)
        span.add(context, packet.get());
    return read;
}

void readToEnd(AVFormatContext *context, PacketSpan &span)
{
    while (readPacket(context, span)) {
    }
}

unsigned flvAnnouncedStreams(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray header = file.read(FlvHeaderSize);
    if (header.size() < FlvHeaderSize)
        return 1;
    const char flags = header.at(FlvHeaderSize - 1);
    const unsigned count = ((flags & FlvHasAudio) ? 1 : 0) + ((flags & FlvHasVideo) ? 1 : 0);
    return std::max(count, 1u);
}

void readFirstPackets(AVFormatContext *context, const QString &fileName, PacketSpan &span)
{
    const unsigned announced = flvAnnouncedStreams(fileName);
    // The first packet also brings the header's metadata with the duration.
    for (int read = 0; read < FlvPacketBudget && context->nb_streams < announced; ++read) {
        if (!readPacket(context, span))
            return;
    }
}

bool findStreamInfo(AVFormatContext *context)
{
    return avformat_find_stream_info(context, nullptr) >= 0;
}

// The duration the header states, for the whole file or its longest stream;
// 0 when it states none.
int64_t statedDuration(const AVFormatContext *context)
{
    if (context->duration != AV_NOPTS_VALUE && context->duration > 0)
        return context->duration;
    int64_t longest = 0;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream *stream = context->streams[i];
        if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
            longest = std::max(longest, av_rescale_q(stream->duration, stream->time_base, AV_TIME_BASE_Q));
    }
    return longest;
}

// After stream info: timestamps and stream lengths are trusted, a guess from
// the bit rate is not.
int64_t measuredDuration(const AVFormatContext *context)
{
    if (context->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE)
        return 0;
    return statedDuration(context);
}

bool anyStreamWithoutCodec(const AVFormatContext *context)
{
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        if (isMediaStream(context->streams[i]) && context->streams[i]->codecpar->codec_id == AV_CODEC_ID_NONE)
            return true;
    }
    return false;
}

// Finds the streams and the duration in microseconds, reading as little as
// the container allows.
int64_t discoverStreamsAndDuration(AVFormatContext *context, const QString &fileName)
{
    PacketSpan span;
    int64_t duration = 0;
    switch (discoveryFor(context)) {
    case Discovery::Header:
        duration = statedDuration(context);
        // A codec the header leaves open may still be found by probing packets.
        if (anyStreamWithoutCodec(context) && findStreamInfo(context) && duration == 0)
            duration = measuredDuration(context);
        break;
    case Discovery::FirstPackets:
        readFirstPackets(context, fileName, span);
        duration = statedDuration(context);
        break;
    case Discovery::StreamInfo:
        context->max_analyze_duration = ProgramStreamScan;
        if (findStreamInfo(context))
            duration = measuredDuration(context);
        break;
    case Discovery::AllPackets:
        break;
    }
    if (duration > 0)
        return duration;
    // Nothing states a duration (or the file was cut short): the last packet's
    // timestamp does.
    readToEnd(context, span);
    return span.length();
}

// The stored picture with its pixel aspect applied, before any turn.
QSize storedDisplaySizeOf(const AVStream *stream)
{
    const AVCodecParameters *codec = stream->codecpar;
    if (codec->width <= 0 || codec->height <= 0)
        return {};
    AVRational aspect = stream->sample_aspect_ratio;
    if (aspect.num <= 0 || aspect.den <= 0)
        aspect = codec->sample_aspect_ratio;
    if (aspect.num <= 0 || aspect.den <= 0)
        return {codec->width, codec->height};
    return {int(av_rescale(codec->width, aspect.num, aspect.den)), codec->height};
}

QSize displaySizeOf(const AVStream *stream, const TPictureOrientation &orientation)
{
    const QSize stored = storedDisplaySizeOf(stream);
    return orientation.clockwise % 180 == 90 ? stored.transposed() : stored;
}

// The stored size at the stream's frame rate: what its decoder has to make.
qint64 pixelsPerSecondOf(const AVStream *stream)
{
    const AVCodecParameters *codec = stream->codecpar;
    AVRational rate = stream->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        rate = stream->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0 || codec->width <= 0 || codec->height <= 0)
        return 0;
    return av_rescale(qint64(codec->width) * codec->height, rate.num, rate.den);
}

void describePicture(AVFormatContext *context, int index, TProbeDepth depth, ProbeResult &probe)
{
    const AVStream *stream = context->streams[index];
    probe.orientation =
        depth == TProbeDepth::FirstPicture ? ShownOrientation(context, index) : ContainerOrientation(stream);
    probe.displaySize = displaySizeOf(stream, probe.orientation);
    probe.pixelsPerSecond = pixelsPerSecondOf(stream);
}

// Fills the stream facts and the result code; throws when nothing decodes.
// Returns the index of the video stream that is shown, or -1.
int judgeStreams(const AVFormatContext *context, ProbeResult &probe)
{
    unsigned mediaStreams = 0;
    unsigned decodable = 0;
    int shownVideo = -1;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream *stream = context->streams[i];
        if (!isMediaStream(stream))
            continue; // timecode, data and attachment tracks carry no picture or sound
        ++mediaStreams;
        if (!decoderOpens(stream))
            continue;
        ++decodable;
        const AVMediaType type = stream->codecpar->codec_type;
        if (type == AVMEDIA_TYPE_VIDEO && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC) && !probe.hasVideo) {
            probe.hasVideo = true;
            shownVideo = int(i);
        }
        if (type == AVMEDIA_TYPE_AUDIO)
            probe.hasAudio = true;
    }
    if (!probe.hasVideo && !probe.hasAudio)
        throw EDirectShowException(result::CannotRender);
    probe.code = decodable == mediaStreams ? result::Ok : result::PartialRender;
    return shownVideo;
}

} // namespace

ProbeResult ProbeMediaFile(const QString &fileName, TProbeDepth depth)
{
    keepLibavQuiet();
    requireRegularFile(fileName);
    const Input input = openInput(fileName);
    AVFormatContext *context = input.get();

    ProbeResult probe;
    const int64_t durationUs = discoverStreamsAndDuration(context, fileName);
    const int shownVideo = judgeStreams(context, probe);
    if (shownVideo >= 0)
        describePicture(context, shownVideo, depth, probe);
    probe.durationMs = durationUs / 1000;
    probe.seekable = !(context->ctx_flags & AVFMTCTX_UNSEEKABLE);
    return probe;
}

} // namespace media
