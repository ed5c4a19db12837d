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

double StreamsDuration(const AVFormatContext *context)
{
    double longest = 0.0;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream *stream = context->streams[i];
        if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
            longest = qMax(longest, double(stream->duration) * av_q2d(stream->time_base));
    }
    return longest;
}

bool HasVideoOrAudio(const AVFormatContext *context)
{
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVMediaType type = context->streams[i]->codecpar->codec_type;
        if (type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO)
            return true;
    }
    return false;
}

// FFmpeg asks this between reads; a non-zero answer ends the open or the probe.
int PastDeadline(void *opaque)
{
    return static_cast<const QDeadlineTimer *>(opaque)->hasExpired() ? 1 : 0;
}

const char NoSuchFile[] = "no such file";
const char NotARegularFile[] = "not a regular file";
const char Unreadable[] = "cannot be read as video or audio";

} // namespace

MediaDuration ExamineMediaDuration(const QString &path, int timeLimitMs)
{
    // Opening a named pipe blocks until a writer comes, and a device may never end: neither
    // reaches FFmpeg. Links are followed, so a link to a clip is a clip.
    const QFileInfo info(path);
    if (!info.exists())
        return {std::nullopt, QLatin1String(NoSuchFile)};
    if (!info.isFile())
        return {std::nullopt, QLatin1String(NotARegularFile)};

    av_log_set_level(AV_LOG_QUIET);
    const QDeadlineTimer deadline(timeLimitMs);
    AVFormatContext *raw = avformat_alloc_context();
    if (!raw)
        return {std::nullopt, QLatin1String(Unreadable)};
    // A stalled network mount or a huge file of noise must not hold the caller.
    raw->interrupt_callback.callback = &PastDeadline;
    raw->interrupt_callback.opaque = const_cast<QDeadlineTimer *>(&deadline);
    // "file:" keeps FFmpeg from taking a name with a colon for a protocol.
    const QByteArray url = "file:" + QFile::encodeName(path);
    // On failure FFmpeg frees the context itself.
    if (avformat_open_input(&raw, url.constData(), nullptr, nullptr) < 0)
        return {std::nullopt, QLatin1String(Unreadable)};
    std::unique_ptr<AVFormatContext, FormatContextCloser> context(raw);
    if (context->duration == AV_NOPTS_VALUE || context->duration <= 0
        || !HasVideoOrAudio(context.get())) {
        // Headers without a length or stream types (raw streams, some AVI): probe the packets.
        if (avformat_find_stream_info(context.get(), nullptr) < 0)
            return {std::nullopt, QLatin1String(Unreadable)};
    }
    if (!HasVideoOrAudio(context.get()))
        return {std::nullopt, QLatin1String(Unreadable)};
    if (context->duration != AV_NOPTS_VALUE && context->duration > 0)
        return {double(context->duration) / AV_TIME_BASE, {}};
    const double fromStreams = StreamsDuration(context.get());
    if (fromStreams > 0.0)
        return {fromStreams, {}};
    return {std::nullopt, QLatin1String(Unreadable)};
}

std::optional<double> MeasureMediaDuration(const QString &path)
{
    return ExamineMediaDuration(path).seconds;
}
