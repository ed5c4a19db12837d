#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

// Media made at test time with ffmpeg's lavfi sources, so no clip is ever committed.
namespace TestMedia {

// Writes a clip of a lavfi picture source and a lavfi sound source; extra arguments go before
// the output. Returns false (with ffmpeg's output in *log) when ffmpeg fails.
bool MakeLavfiClip(const QString &path,
                   const QString &picture,
                   const QString &sound,
                   const QStringList &extraArguments = {},
                   QString *log = nullptr);
// Writes a clip of testsrc picture and a sine tone; extra arguments go before the output
// (codecs, container). Returns false (with ffmpeg's output in *log) when ffmpeg fails.
bool MakeClip(const QString &path,
              double seconds,
              const QStringList &extraArguments = {},
              QString *log = nullptr);
// Writes a clip whose every frame is one flat grey, from luma 40 up by 2 a frame (25 fps, 320x240,
// with a tone), so that a picture tells which frame it is; at most 4 s, before the grey runs out.
bool MakeCountingClip(const QString &path, double seconds, const QStringList &extraArguments = {});
// The frame number that a counting clip's luma (0 to 255) stands for; its encoding reads a
// level or two darker than it was drawn.
inline int CountedFrame(double luma)
{
    return int((luma - 39.0) / 2.0 + 0.5);
}
// The mean luma (0 to 255) of an area of each frame of the file's picture track, in order;
// empty when ffmpeg cannot read it. The area is the arguments of ffmpeg's crop filter: by
// default the middle, clear of the bars that pad a picture to another shape.
QList<double> FrameLumas(const QString &path, const QString &area = QStringLiteral("iw/2:ih/2"));
// Copies a file's streams into another file without encoding, with input arguments (such as
// "-stream_loop 2") and output arguments (such as "-metadata:s:v:0 rotate=90"). Returns false,
// with ffmpeg's output in *log, when ffmpeg fails.
bool Remux(const QString &from,
           const QString &to,
           const QStringList &inputArguments,
           const QStringList &outputArguments,
           QString *log = nullptr);
// Writes a clip that keeps an encoder busy for a while (about 20 s on this machine for 30
// pieces) yet is quick to make: 10 s of 1280x720 picture and tone, repeated pieces times
// without encoding again.
bool MakeSlowClip(const QString &path, int pieces, QString *log = nullptr);
// The states (the letter of /proc/PID/stat, "R", "S", "T"...) of the ffmpeg processes (or
// those of the named program) whose command line names the folder: the encoders writing into
// it. Empty when none is left.
QString EncoderStates(const QString &folder, const QString &program = QStringLiteral("ffmpeg"));
// Their process ids.
QList<qint64> EncoderPids(const QString &folder, const QString &program = QStringLiteral("ffmpeg"));
// What GStreamer's demuxer and decoders (another player than ffmpeg) made of a file with a
// picture of the given size and a sound track: gst-launch-1.0's exit code (-1 when it did not
// end within a minute), the pictures decoded (-1 when they were not of that size) and the
// seconds of sound.
struct GStreamerPlayback
{
    int exitCode = -1;
    int pictures = 0;
    double soundSeconds = 0;
};
GStreamerPlayback PlayWithGStreamer(const QString &path, int width, int height);
// Runs mediainfo (an independent reader) and returns its tracks, each a map of its JSON
// fields ("@type" is "General", "Video" or "Audio"); empty when mediainfo fails.
QList<QVariantMap> MediaInfoTracks(const QString &path);
// Runs ffprobe and returns its "key=value" lines for the given -show_entries.
QString Probe(const QString &path, const QString &entries);
// One value of Probe's output, such as "format=duration" or "stream codec_name" lines.
QStringList ProbeValues(const QString &path, const QString &entries, const QString &key);

// The first sound track's integrated loudness (LUFS) and true peak (dBTP), as ffmpeg's EBU R128
// meter reads them after decoding; not a number when it cannot.
struct Loudness
{
    double lufs = qQNaN();
    double truePeak = qQNaN();
};
Loudness MeasureLoudness(const QString &path);

} // namespace TestMedia

namespace TestMedia {

// A source a user may hand over that is not a plain clip, and what measuring it must say
// (empty: it is measured, and converts).
struct OddSource
{
    QString row;
    QString path;
    QString problem;
};
// Makes them in dir: missing, folder, named pipe, device, empty, 50 MB of noise, cut before its
// index, index first but cut short, a newline in the name, a path of 4,000 bytes. clip has
// its index at the end; indexFirst before the data.
QList<OddSource> MakeOddSources(const QString &dir, const QString &clip, const QString &indexFirst);

} // namespace TestMedia
