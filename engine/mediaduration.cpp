#include "engine/mediaduration.h"

#include <QFile>

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

} // namespace

std::optional<double> MeasureMediaDuration(const QString &path)
{
    av_log_set_level(AV_LOG_QUIET);
    // "file:" keeps FFmpeg from taking a name with a colon for a protocol.
    const QByteArray url = "file:" + QFile::encodeName(path);
    AVFormatContext *raw = nullptr;
    if (avformat_open_input(&raw, url.constData(), nullptr, nullptr) < 0)
        return std::nullopt;
    std::unique_ptr<AVFormatContext, FormatContextCloser> context(raw);
    if (context->duration == AV_NOPTS_VALUE || context->duration <= 0) {
        // Headers without a length (raw streams, some AVI): probe the packets.
        if (avformat_find_stream_info(context.get(), nullptr) < 0)
            return std::nullopt;
    }
    if (context->duration != AV_NOPTS_VALUE && context->duration > 0)
        return double(context->duration) / AV_TIME_BASE;
    const double fromStreams = StreamsDuration(context.get());
    if (fromStreams > 0.0)
        return fromStreams;
    return std::nullopt;
}
