#include "engine/compressorlist.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

// The names under which Windows listed these codecs; the intermediate transcode looks for
// them. Every other encoder keeps FFmpeg's own long name.
QString DisplayNameOf(const AVCodec *codec)
{
    const QLatin1String name(codec->name);
    if (name == QLatin1String("msmpeg4"))
        return QStringLiteral("Microsoft MPEG-4 Video Codec V3");
    if (name == QLatin1String("msmpeg4v2"))
        return QStringLiteral("Microsoft MPEG-4 Video Codec V2");
    if (name == QLatin1String("mpeg4"))
        return QStringLiteral("DivX-compatible MPEG-4 part 2");
    if (name == QLatin1String("libmp3lame"))
        return QStringLiteral("MPEG Layer-3");
    if (name == QLatin1String("pcm_s16le"))
        return QStringLiteral("PCM");
    return QString::fromUtf8(codec->long_name ? codec->long_name : codec->name);
}

CompressorList CompressorsOfType(AVMediaType type)
{
    const AVOutputFormat *avi = av_guess_format("avi", nullptr, nullptr);
    QList<CompressorList::Entry> entries;
    void *iterator = nullptr;
    while (const AVCodec *codec = av_codec_iterate(&iterator)) {
        if (codec->type != type || !av_codec_is_encoder(codec))
            continue;
        // Hardware encoders are built in but fail without their device.
        if (codec->capabilities & (AV_CODEC_CAP_HARDWARE | AV_CODEC_CAP_EXPERIMENTAL))
            continue;
        if (!avi || avformat_query_codec(avi, codec->id, FF_COMPLIANCE_NORMAL) != 1)
            continue;
        entries.append({DisplayNameOf(codec), QString::fromLatin1(codec->name)});
    }
    return CompressorList(entries);
}

} // namespace

CompressorList CompressorList::VideoCompressorsOfThisMachine()
{
    static const CompressorList list = CompressorsOfType(AVMEDIA_TYPE_VIDEO);
    return list;
}

CompressorList CompressorList::AudioCompressorsOfThisMachine()
{
    static const CompressorList list = CompressorsOfType(AVMEDIA_TYPE_AUDIO);
    return list;
}

QString CompressorList::Item(short index) const
{
    return index >= 0 && index < m_entries.size() ? m_entries.at(index).name : QString();
}

QString CompressorList::EncoderAt(short index) const
{
    return index >= 0 && index < m_entries.size() ? m_entries.at(index).encoder : QString();
}
