#include "engine/mediastreams.h"

#include "engine/mediaduration.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>

#include <memory>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

namespace {

struct FormatContextCloser
{
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};

struct PacketFreer
{
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};

// FFmpeg asks this between reads; a non-zero answer ends the read.
int PastDeadline(void *opaque)
{
    return static_cast<const QDeadlineTimer *>(opaque)->hasExpired() ? 1 : 0;
}

bool IsPictureTrack(const AVStream *stream)
{
    return stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO
           && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC);
}

using FormatContext = std::unique_ptr<AVFormatContext, FormatContextCloser>;

// Opens the file for reading until the deadline, which must outlive the context; nothing when
// FFmpeg cannot open it.
FormatContext OpenUntil(const QString &path, const QDeadlineTimer &deadline)
{
    av_log_set_level(AV_LOG_QUIET);
    AVFormatContext *raw = avformat_alloc_context();
    if (!raw)
        return nullptr;
    raw->interrupt_callback.callback = &PastDeadline;
    raw->interrupt_callback.opaque = const_cast<QDeadlineTimer *>(&deadline);
    const QByteArray url = "file:" + QFile::encodeName(path);
    // On failure FFmpeg frees the context itself.
    if (avformat_open_input(&raw, url.constData(), nullptr, nullptr) < 0)
        return nullptr;
    return FormatContext(raw);
}

} // namespace

std::optional<MediaStreams> MediaStreams::Probe(const QString &path)
{
    const std::optional<double> duration = MeasureMediaDuration(path);
    if (!duration)
        return std::nullopt;
    av_log_set_level(AV_LOG_QUIET);
    const QByteArray url = "file:" + QFile::encodeName(path);
    AVFormatContext *context = nullptr;
    if (avformat_open_input(&context, url.constData(), nullptr, nullptr) < 0)
        return std::nullopt;
    MediaStreams streams;
    streams.duration = *duration;
    // The headers name the streams of nearly every container; only when they name none are
    // packets read to find them.
    if (context->nb_streams == 0)
        avformat_find_stream_info(context, nullptr);
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVCodecParameters *codec = context->streams[i]->codecpar;
        const bool picture = context->streams[i]->disposition & AV_DISPOSITION_ATTACHED_PIC;
        if (codec->codec_type == AVMEDIA_TYPE_VIDEO && !picture)
            streams.hasVideo = true;
        else if (codec->codec_type == AVMEDIA_TYPE_AUDIO)
            streams.hasAudio = true;
    }
    avformat_close_input(&context);
    return streams;
}

std::optional<double> MediaStreams::LastVideoFrame(const QString &path)
{
    // A demuxer that cannot seek reads the file from its start; a long one is not waited for.
    const QDeadlineTimer deadline(1000);
    const FormatContext context = OpenUntil(path, deadline);
    if (!context)
        return std::nullopt;
    if (context->nb_streams == 0)
        avformat_find_stream_info(context.get(), nullptr);
    int track = -1;
    for (unsigned i = 0; i < context->nb_streams && track < 0; ++i) {
        if (IsPictureTrack(context->streams[i]))
            track = int(i);
    }
    const std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    if (track < 0 || !packet)
        return std::nullopt;
    const int64_t start = context->start_time != AV_NOPTS_VALUE ? context->start_time : 0;
    // Back to the last key frame before the end, so that only its group of packets is read.
    if (context->duration != AV_NOPTS_VALUE && context->duration > 0) {
        const int64_t end = start + context->duration;
        avformat_seek_file(context.get(), -1, INT64_MIN, end, end, 0);
    }
    int64_t last = AV_NOPTS_VALUE;
    while (av_read_frame(context.get(), packet.get()) >= 0) {
        if (packet->stream_index == track) {
            // Without B-frames some containers give only the decoding time.
            const int64_t time = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            if (time != AV_NOPTS_VALUE && (last == AV_NOPTS_VALUE || time > last))
                last = time;
        }
        av_packet_unref(packet.get());
    }
    if (last == AV_NOPTS_VALUE || deadline.hasExpired())
        return std::nullopt;
    const double seconds
        = double(last) * av_q2d(context->streams[track]->time_base) - double(start) / AV_TIME_BASE;
    return qMax(0.0, seconds);
}

std::optional<double> MediaStreams::PictureRate(const QString &path)
{
    // A source swapped for a pipe or a device since it was added is not opened at all, and a
    // file that will not say is not read for long.
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    const QDeadlineTimer deadline(2000);
    const FormatContext context = OpenUntil(path, deadline);
    if (!context)
        return std::nullopt;
    // Some headers leave the picture's size to the first frames (MPEG-4 Part 2 in MP4).
    for (bool looked = false;; looked = true) {
        for (unsigned i = 0; i < context->nb_streams; ++i) {
            const AVStream *stream = context->streams[i];
            if (!IsPictureTrack(stream))
                continue;
            const AVRational rate
                = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
            const double area = double(stream->codecpar->width) * stream->codecpar->height;
            if (area > 0.0 && rate.num > 0 && rate.den > 0)
                return area * av_q2d(rate);
        }
        if (looked || avformat_find_stream_info(context.get(), nullptr) < 0)
            return std::nullopt;
    }
}
