#include "testmedia.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <sys/stat.h>

namespace TestMedia {

namespace {

// Runs ffmpeg to its end (two minutes at most); true when it exited with 0.
bool RunFfmpeg(const QStringList &arguments, QString *log)
{
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start(QStringLiteral("ffmpeg"), arguments);
    const bool ok = ffmpeg.waitForFinished(120000) && ffmpeg.exitStatus() == QProcess::NormalExit
                    && ffmpeg.exitCode() == 0;
    if (log)
        *log = QString::fromLocal8Bit(ffmpeg.readAll());
    return ok;
}

} // namespace

bool MakeLavfiClip(const QString &path,
                   const QString &picture,
                   const QString &sound,
                   const QStringList &extraArguments,
                   QString *log)
{
    QStringList arguments{"-nostdin",
                          "-hide_banner",
                          "-loglevel",
                          "error",
                          "-y",
                          "-f",
                          "lavfi",
                          "-i",
                          picture,
                          "-f",
                          "lavfi",
                          "-i",
                          sound};
    arguments += extraArguments;
    arguments << QStringLiteral("file:") + path;
    return RunFfmpeg(arguments, log);
}

bool MakeClip(const QString &path, double seconds, const QStringList &extraArguments, QString *log)
{
    const QString length = QString::number(seconds);
    return MakeLavfiClip(path,
                         "testsrc=size=320x240:rate=25:duration=" + length,
                         "sine=frequency=440:sample_rate=44100:duration=" + length,
                         extraArguments,
                         log);
}

bool MakeCountingClip(const QString &path, double seconds, const QStringList &extraArguments)
{
    const QString length = QString::number(seconds);
    return MakeLavfiClip(path,
                         "color=black:size=320x240:rate=25:duration=" + length
                             + ",format=yuv420p,geq=lum='40+2*N':cb=128:cr=128",
                         "sine=frequency=440:sample_rate=44100:duration=" + length,
                         QStringList{"-c:v", "mpeg4", "-q:v", "2"} + extraArguments);
}

QList<double> FrameLumas(const QString &path, const QString &area)
{
    QProcess ffmpeg;
    ffmpeg.start(
        QStringLiteral("ffmpeg"),
        {"-nostdin",
         "-v",
         "error",
         "-i",
         "file:" + path,
         "-map",
         "0:v:0",
         "-vf",
         "crop=" + area + ",signalstats,metadata=mode=print:key=lavfi.signalstats.YAVG:file=-",
         "-f",
         "null",
         "-"});
    ffmpeg.waitForFinished(60000);
    const QString prefix = QStringLiteral("lavfi.signalstats.YAVG=");
    QList<double> lumas;
    for (const QString &line : QString::fromLocal8Bit(ffmpeg.readAllStandardOutput()).split('\n')) {
        if (line.startsWith(prefix))
            lumas.append(line.mid(prefix.size()).toDouble());
    }
    return lumas;
}

bool Remux(const QString &from,
           const QString &to,
           const QStringList &inputArguments,
           const QStringList &outputArguments,
           QString *log)
{
    return RunFfmpeg(QStringList{"-nostdin", "-hide_banner", "-loglevel", "error", "-y"}
                         + inputArguments + QStringList{"-i", "file:" + from, "-c", "copy"}
                         + outputArguments + QStringList{"file:" + to},
                     log);
}

bool MakeSlowClip(const QString &path, int pieces, QString *log)
{
    const QString piece = path + QStringLiteral(".piece.mp4");
    if (!MakeClip(piece,
                  10,
                  {"-vf", "scale=1280:720", "-c:v", "mpeg4", "-q:v", "31", "-c:a", "aac"},
                  log))
        return false;
    const bool ok = Remux(piece, path, {"-stream_loop", QString::number(pieces - 1)}, {}, log);
    QFile::remove(piece);
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

Loudness MeasureLoudness(const QString &path)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-nostats"),
                  QStringLiteral("-i"),
                  QStringLiteral("file:") + path,
                  QStringLiteral("-map"),
                  QStringLiteral("0:a:0"),
                  QStringLiteral("-af"),
                  QStringLiteral("ebur128=peak=true"),
                  QStringLiteral("-f"),
                  QStringLiteral("null"),
                  QStringLiteral("-")});
    ffmpeg.waitForFinished(120000);
    const QString out = QString::fromLocal8Bit(ffmpeg.readAllStandardError());
    const QString summary = out.mid(out.lastIndexOf(QStringLiteral("Summary:")));
    const auto value = [&summary](const QString &label) {
        const QRegularExpressionMatch m
            = QRegularExpression(label + QStringLiteral(R"(:\s+(-?[\d.]+))")).match(summary);
        return m.hasMatch() ? m.captured(1).toDouble() : qQNaN();
    };
    return {value(QStringLiteral("I")), value(QStringLiteral("Peak"))};
}

GStreamerPlayback PlayWithGStreamer(const QString &path, int width, int height)
{
    // Typed branches: a track that no decoder turns into raw pictures or sound fails the run.
    // The decoded pictures and sound go to files, whose sizes count them.
    const QString pictures = path + QStringLiteral(".yuv"), sound = path + QStringLiteral(".pcm");
    QProcess gst;
    gst.start(QStringLiteral("gst-launch-1.0"),
              {"-q",
               "filesrc",
               "location=" + path,
               "!",
               "decodebin",
               "name=d",
               "d.",
               "!",
               "queue",
               "!",
               "videoconvert",
               "!",
               "video/x-raw,format=I420",
               "!",
               "filesink",
               "location=" + pictures,
               "d.",
               "!",
               "queue",
               "!",
               "audioconvert",
               "!",
               "audioresample",
               "!",
               "audio/x-raw,format=S16LE,rate=8000,channels=1",
               "!",
               "filesink",
               "location=" + sound});
    GStreamerPlayback playback;
    if (!gst.waitForFinished(60000)) {
        gst.kill();
        gst.waitForFinished();
    } else if (gst.exitStatus() == QProcess::NormalExit) {
        playback.exitCode = gst.exitCode();
    }
    const qint64 pictureBytes = qint64(width) * height * 3 / 2;
    const qint64 bytes = QFileInfo(pictures).size();
    playback.pictures = bytes % pictureBytes == 0 ? int(bytes / pictureBytes) : -1;
    playback.soundSeconds = QFileInfo(sound).size() / 16000.0;
    QFile::remove(pictures);
    QFile::remove(sound);
    return playback;
}

} // namespace TestMedia

namespace TestMedia {

QList<OddSource> MakeOddSources(const QString &dir, const QString &clip, const QString &indexFirst)
{
    const QString unreadable = QStringLiteral("cannot be read as video or audio");
    auto copy = [&](const QString &from, const QString &name, qint64 keepBytes) {
        const QString path = dir + QLatin1Char('/') + name;
        QFile::copy(from, path);
        if (keepBytes >= 0)
            QFile::resize(path, keepBytes);
        return path;
    };
    const QString fifo = dir + QStringLiteral("/pipe.mp4");
    ::mkfifo(QFile::encodeName(fifo).constData(), 0600);
    QFile noise(dir + QStringLiteral("/noise.mp4"));
    noise.open(QIODevice::WriteOnly);
    QRandomGenerator random(7);
    QByteArray block(1 << 20, '\0');
    for (int mb = 0; mb < 50; ++mb) {
        random.fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
        noise.write(block);
    }
    noise.close();
    QString deep = dir;
    while (deep.size() < 3900)
        deep += QLatin1Char('/') + QString(200, QLatin1Char('d'));
    QDir().mkpath(deep);
    return {
        {"missing", dir + QStringLiteral("/none.mp4"), QStringLiteral("no such file")},
        {"folder", dir, QStringLiteral("not a regular file")},
        {"named pipe", fifo, QStringLiteral("not a regular file")},
        {"character device", QStringLiteral("/dev/zero"), QStringLiteral("not a regular file")},
        {"zero bytes", copy(clip, QStringLiteral("empty.mp4"), 0), unreadable},
        {"50 MB of noise", noise.fileName(), unreadable},
        {"cut in half, index at the end",
         copy(clip, QStringLiteral("half.mp4"), QFileInfo(clip).size() / 2),
         unreadable},
        {"index first, data cut short",
         copy(indexFirst, QStringLiteral("short.mp4"), QFileInfo(indexFirst).size() / 2),
         {}},
        {"newline in the name", copy(clip, QStringLiteral("two\nlines.mp4"), -1), {}},
        {"path of 4,000 bytes", copy(clip, deep.mid(dir.size() + 1) + "/deep.mp4", -1), {}},
    };
}

namespace {

// The letter after the name in /proc/PID/stat when the process runs the program; empty else.
QString ProcessState(const QString &pid, const QString &program)
{
    QFile stat("/proc/" + pid + "/stat");
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = stat.readAll();
    if (!text.contains("(" + program.toUtf8() + ")"))
        return {};
    return QString(QChar(text.at(text.lastIndexOf(')') + 2)));
}

} // namespace

QList<qint64> EncoderPids(const QString &folder, const QString &program)
{
    QList<qint64> found;
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList({"[0-9]*"}, QDir::Dirs);
    for (const QString &pid : pids) {
        QFile cmdline("/proc/" + pid + "/cmdline");
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(folder.toUtf8())
            && !ProcessState(pid, program).isEmpty())
            found.append(pid.toLongLong());
    }
    return found;
}

QString EncoderStates(const QString &folder, const QString &program)
{
    QString states;
    for (const qint64 pid : EncoderPids(folder, program))
        states += ProcessState(QString::number(pid), program);
    return states;
}

} // namespace TestMedia
