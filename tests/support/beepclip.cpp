#include "beepclip.h"

#include "testmedia.h"

#include <QHash>
#include <QProcess>

#include <cmath>
#include <cstring>

namespace {

// Luma of second k: steps wide enough that a coarse encoder cannot blur one into the next.
constexpr double FirstShade = 16;
constexpr double ShadeStep = 22;

constexpr int SampleRate = 48000;
// The beep's peaks are 0.5; pre-echo and codec noise stay well below this.
constexpr float Loud = 0.08f;
// A beep lasts 0.1 s, so silence this long (50 ms) before a loud sample makes it an onset.
constexpr int QuietBeforeOnset = SampleRate / 20;

bool RunFfmpeg(const QString &program, const QStringList &arguments, QByteArray &out)
{
    QProcess process;
    process.start(program, arguments);
    const bool ok = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit
                    && process.exitCode() == 0;
    out = ok ? process.readAllStandardOutput() : process.readAllStandardError();
    return ok;
}

double Rate(const QString &fraction)
{
    const QStringList parts = fraction.split(QLatin1Char('/'));
    const double den = parts.size() == 2 ? parts.at(1).toDouble() : 1.0;
    return den > 0 ? parts.at(0).toDouble() / den : 0.0;
}

} // namespace

namespace BeepClip {

bool Make(const QString &path, double seconds, const QString &rate, int bFrames, QString *log)
{
    const QString length = QString::number(seconds);
    // The shade follows the frame's own time, and the beep starts at the first frame of each
    // second: ceil(k * rate) / rate, which for 30000/1001 is not k itself. The 1e-6 keeps float
    // noise on a whole-second frame time from putting it into the second before.
    const QString picture
        = QStringLiteral("color=c=black:s=16x12:r=%1:d=%2,format=yuv420p,"
                         "geq=lum='%3+%4*floor(T+1e-6)':cb=128:cr=128,scale=320:240")
              .arg(rate, length)
              .arg(FirstShade)
              .arg(ShadeStep);
    const QString sound
        = QStringLiteral("aevalsrc='if(between(t-ceil(floor(t)*(%1)-1e-4)/(%1),0,0.0999),"
                         "0.5*sin(2*PI*1000*t),0)':s=%2:d=%3")
              .arg(rate)
              .arg(SampleRate)
              .arg(length);
    return TestMedia::MakeLavfiClip(
        path,
        picture,
        sound,
        {"-c:v", "libx264", "-bf", QString::number(bFrames), "-c:a", "aac", "-b:a", "128k"},
        log);
}

Timeline Read(const QString &path)
{
    Timeline timeline;
    // One ffprobe for all streams: each key's values come in stream order.
    QHash<QString, QStringList> streams;
    for (const QString &line :
         TestMedia::Probe(path, "stream=codec_type,start_time,duration,r_frame_rate").split('\n')) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0)
            streams[line.left(equals)].append(line.mid(equals + 1).trimmed());
    }
    const QStringList types = streams.value("codec_type");
    const QStringList starts = streams.value("start_time");
    const QStringList durations = streams.value("duration");
    const QStringList rates = streams.value("r_frame_rate");
    const qsizetype video = types.indexOf("video"), audio = types.indexOf("audio");
    if (video < 0 || audio < 0 || starts.size() != types.size() || durations.size() != types.size()
        || rates.size() != types.size()) {
        timeline.problem = "not one video and one audio track: " + types.join(' ');
        return timeline;
    }
    timeline.videoDuration = durations.at(video).toDouble();
    timeline.audioDuration = durations.at(audio).toDouble();
    timeline.frameRate = Rate(rates.at(video));

    // Each picture's time and the mean luma of its middle, away from any padding bars.
    QString quoted = path;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    QByteArray out;
    if (!RunFfmpeg(QStringLiteral("ffprobe"),
                   {"-v",
                    "error",
                    "-f",
                    "lavfi",
                    "-i",
                    "movie=filename='" + quoted + "',crop=iw/2:ih/2,signalstats",
                    "-show_entries",
                    "frame=pts_time:frame_tags=lavfi.signalstats.YAVG",
                    "-of",
                    "csv=p=0"},
                   out)) {
        timeline.problem = QString::fromLocal8Bit(out);
        return timeline;
    }
    for (const QByteArray &line : out.split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(',');
        if (fields.size() != 2)
            continue;
        timeline.pictureTimes.append(fields.at(0).toDouble());
        const double shade = (fields.at(1).toDouble() - FirstShade) / ShadeStep;
        const double second = std::round(shade);
        timeline.pictureSeconds.append(std::abs(shade - second) < 0.3 ? int(second) : -1);
    }

    // The sound as samples; the first one sounds at the track's start time.
    if (!RunFfmpeg(QStringLiteral("ffmpeg"),
                   {"-nostdin",
                    "-v",
                    "error",
                    "-i",
                    "file:" + path,
                    "-map",
                    "0:a:0",
                    "-ac",
                    "1",
                    "-ar",
                    QString::number(SampleRate),
                    "-f",
                    "f32le",
                    "-"},
                   out)) {
        timeline.problem = QString::fromLocal8Bit(out);
        return timeline;
    }
    const double start = starts.at(audio).toDouble();
    const qsizetype count = out.size() / qsizetype(sizeof(float));
    int quiet = QuietBeforeOnset;
    for (qsizetype i = 0; i < count; ++i) {
        float sample;
        std::memcpy(&sample, out.constData() + i * qsizetype(sizeof(float)), sizeof sample);
        if (std::abs(sample) < Loud) {
            ++quiet;
            continue;
        }
        if (quiet >= QuietBeforeOnset)
            timeline.beepTimes.append(start + double(i) / SampleRate);
        quiet = 0;
    }
    return timeline;
}

QList<double> PictureLateness(const Timeline &timeline, int firstSecond)
{
    QList<double> lateness;
    for (qsizetype i = 1; i < timeline.pictureSeconds.size(); ++i) {
        const int second = timeline.pictureSeconds.at(i);
        if (second < 0 || second == timeline.pictureSeconds.at(i - 1))
            continue;
        const double expected = second - firstSecond;
        for (const double beep : timeline.beepTimes) {
            if (std::abs(beep - expected) < 0.5) {
                lateness.append(timeline.pictureTimes.at(i) - beep);
                break;
            }
        }
    }
    return lateness;
}

} // namespace BeepClip
