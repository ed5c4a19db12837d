#include "engine/mediastreams.h"

#include "engine/mediaduration.h"

#include <QFile>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

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
