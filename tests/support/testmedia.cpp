#include "testmedia.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace TestMedia {

bool MakeClip(const QString &path, double seconds, const QStringList &extraArguments, QString *log)
{
    const QString length = QString::number(seconds);
    QStringList arguments{QStringLiteral("-nostdin"),
                          QStringLiteral("-hide_banner"),
                          QStringLiteral("-loglevel"),
                          QStringLiteral("error"),
                          QStringLiteral("-y"),
                          QStringLiteral("-f"),
                          QStringLiteral("lavfi"),
                          QStringLiteral("-i"),
                          QStringLiteral("testsrc=size=320x240:rate=25:duration=") + length,
                          QStringLiteral("-f"),
                          QStringLiteral("lavfi"),
                          QStringLiteral("-i"),
                          QStringLiteral("sine=frequency=440:sample_rate=44100:duration=")
                              + length};
    arguments += extraArguments;
    arguments << QStringLiteral("file:") + path;
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start(QStringLiteral("ffmpeg"), arguments);
    const bool ok = ffmpeg.waitForFinished(120000) && ffmpeg.exitStatus() == QProcess::NormalExit
                    && ffmpeg.exitCode() == 0;
    if (log)
        *log = QString::fromLocal8Bit(ffmpeg.readAll());
    return ok;
}

QList<QVariantMap> MediaInfoTracks(const QString &path)
{
    QProcess mediainfo;
    mediainfo.start(QStringLiteral("mediainfo"), {QStringLiteral("--Output=JSON"), path});
    mediainfo.waitForFinished(60000);
    const QJsonObject media = QJsonDocument::fromJson(mediainfo.readAllStandardOutput())
                                  .object()
                                  .value(QStringLiteral("media"))
                                  .toObject();
    QList<QVariantMap> tracks;
    for (const QJsonValue &track : media.value(QStringLiteral("track")).toArray())
        tracks.append(track.toObject().toVariantMap());
    return tracks;
}

QString Probe(const QString &path, const QString &entries)
{
    QProcess ffprobe;
    ffprobe.start(QStringLiteral("ffprobe"),
                  {QStringLiteral("-v"),
                   QStringLiteral("error"),
                   QStringLiteral("-show_entries"),
                   entries,
                   QStringLiteral("-of"),
                   QStringLiteral("default=noprint_wrappers=1"),
                   QStringLiteral("file:") + path});
    ffprobe.waitForFinished(60000);
    return QString::fromLocal8Bit(ffprobe.readAllStandardOutput());
}

QStringList ProbeValues(const QString &path, const QString &entries, const QString &key)
{
    QStringList values;
    const QString prefix = key + QLatin1Char('=');
    for (const QString &line : Probe(path, entries).split(QLatin1Char('\n'))) {
        if (line.startsWith(prefix))
            values.append(line.mid(prefix.size()).trimmed());
    }
    return values;
}

} // namespace TestMedia
