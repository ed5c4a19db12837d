// The size-bound profiles and the even loudness, on clips made at run time. Prints:
// - size: every MMS profile on 20 clips of 5 to 60 s (still, talking, sport-like motion, noise):
//   each file's size against its bound, how many encodes it took; then how many are over the
//   bound and how many reach 85 % of it;
// - cost: the 300 KB profile's batch against the same batch at a rate fixed by hand;
// - loudness: a quiet (-35 LUFS) and a loud (-8 LUFS) source through each type's default
//   profile with "Even Out the Loudness", measured by decoding the outputs.
// Usage: mmsbench [size|cost|loudness]... (all three when none is named)
#include "benchsupport.h"
#include "engine/enginefixture.h"
#include "engine/outputfiles.h"
#include "engine/outputtypes.h"
#include "engine/profilelist.h"
#include "engine/sizebound.h"
#include "testmedia.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>

#include <cmath>
#include <cstdio>

namespace {

struct Clip
{
    QString path;
    QString kind;
    int seconds;
};

const char *const Kinds[] = {"still", "talking", "motion", "noise"};

QString Picture(const QString &kind)
{
    if (kind == "still")
        return "testsrc2=size=640x480:rate=25,trim=end_frame=1,loop=loop=-1:size=1,"
               "setpts=N/25/TB";
    if (kind == "talking")
        return "testsrc2=size=640x480:rate=25";
    if (kind == "motion")
        return "testsrc2=size=640x480:rate=25,scroll=h=0.013:v=0.007";
    return "testsrc2=size=640x480:rate=25,noise=alls=40:allf=t+u";
}

const QString Sound = "anoisesrc=color=pink:sample_rate=44100:amplitude=0.3";

QList<Clip> MakeClips(const QString &dir)
{
    QList<Clip> clips;
    for (int k = 0; k < 20; ++k) {
        const int seconds = int(std::lround(5 + k * 55.0 / 19));
        const QString kind = Kinds[k % 4];
        const QString path = QStringLiteral("%1/%2 %3s.mp4").arg(dir, kind).arg(seconds);
        QString log;
        if (!TestMedia::MakeLavfiClip(path,
                                      Picture(kind),
                                      Sound,
                                      {"-t",
                                       QString::number(seconds),
                                       "-c:v",
                                       "libx264",
                                       "-preset",
                                       "ultrafast",
                                       "-c:a",
                                       "aac"},
                                      &log)) {
            std::fprintf(stderr, "cannot make %s: %s\n", qPrintable(path), qPrintable(log));
            return {};
        }
        clips.append({path, kind, seconds});
    }
    return clips;
}

QString ProfileFile(int type)
{
    return QLatin1String(profileFileTable[size_t(type)].profileFile).mid(2);
}

// Converts every clip whole; returns the wall seconds.
double RunBatch(EngineFixture &f, const QList<Clip> &clips)
{
    for (const Clip &clip : clips)
        f.state.jobs.append(ConversionJob::ForSource(clip.path, clip.seconds));
    f.batch.SetJobsAtOnce(2);
    QElapsedTimer wall;
    wall.start();
    f.Run();
    const double seconds = wall.elapsed() / 1000.0;
    // A batch whose jobs failed is fast, and times nothing.
    for (int i = 0; i < clips.size(); ++i) {
        if (!f.state.jobs.copyOut(i).finished)
            std::printf("  %s failed: %s\n",
                        qPrintable(clips[i].path),
                        qPrintable(f.state.jobs.copyOut(i).failureReason));
    }
    return seconds;
}

void Size(const QList<Clip> &clips)
{
    // A file short of 85 % is held either by the level (the rate the level allows fills less)
    // or by its content (the encoder reached its finest quantizer below the rate asked).
    std::printf("size\n%-4s %-12s %-8s %4s %9s %9s %6s %5s %8s %s\n",
                "type",
                "profile",
                "clip",
                "s",
                "bytes",
                "bound",
                "share",
                "tries",
                "picture",
                "short by");
    for (const auto &[type, row, title] : EngineFixture::ShippedSizeBoundProfiles()) {
        EngineFixture f;
        f.UseShippedProfile(type, row);
        RunBatch(f, clips);
        const std::optional<SizeBound> bound = f.pipeline.SelectedSizeBound();
        const QString log = f.LogText();
        int over = 0, full = 0, most = 0, level = 0;
        for (int i = 0; i < clips.size(); ++i) {
            const ConversionJob job = f.state.jobs.copyOut(i);
            const qint64 bytes = job.finished ? job.outputBytes : -1;
            const int tries = 1 + int(log.count(QStringLiteral("job %1 came out").arg(i + 1)));
            const double share = double(bytes) / double(bound->maxBytes());
            over += bytes < 0 || bytes > bound->maxBytes() ? 1 : 0;
            full += share >= 0.85 ? 1 : 0;
            most = std::max(most, tries);
            const bool levelHeld
                = share < 0.85
                  && bound->ExpectedBytes(clips[i].seconds) < 0.85 * double(bound->maxBytes());
            level += levelHeld ? 1 : 0;
            const QString output = FinalFile(f.state.outputDirectory, job.outputName, type);
            const QStringList picture
                = TestMedia::ProbeValues(output, "stream=width,height", "width")
                  + TestMedia::ProbeValues(output, "stream=width,height", "height");
            std::printf("%-4d %-12s %-8s %4d %9lld %9lld %5.1f%% %5d %8s %s%s\n",
                        type,
                        qPrintable(title.section(" - ", 0, 0)),
                        qPrintable(clips[i].kind),
                        clips[i].seconds,
                        bytes,
                        bound->maxBytes(),
                        share * 100,
                        tries,
                        qPrintable(picture.join('x')),
                        share >= 0.85 ? ""
                        : levelHeld   ? "level"
                                      : "content",
                        job.finished ? "" : qPrintable(" FAILED: " + job.failureReason));
        }
        std::printf("%d %s: %d of %d over the bound, %d at 85 %% or more (of the rest, %d "
                    "held by the level), at most %d encodes\n\n",
                    type,
                    qPrintable(title.section(" - ", 0, 0)),
                    over,
                    int(clips.size()),
                    full,
                    level,
                    most);
        std::fflush(stdout);
    }
}

void Cost(const QList<Clip> &clips)
{
    const QString file = ProfileFile(OutputType::Amr3gp);
    const auto profiles = EngineFixture::ShippedSizeBoundProfiles();
    if (profiles.isEmpty() || profiles.first().type != OutputType::Amr3gp)
        return;
    const int row = profiles.first().row;
    const QString title = profiles.first().title;
    QList<double> ratios;
    for (int round = 0; round < 2; ++round) {
        EngineFixture bound;
        bound.UseShippedProfile(OutputType::Amr3gp, row);
        const double sized = RunBatch(bound, clips);
        // The same profile with the rate a user would pick by hand, and no bound.
        EngineFixture fixed;
        fixed.UseShippedProfile(OutputType::Amr3gp, row);
        QFile in(fixed.state.engineDirectory + '/' + file);
        in.open(QIODevice::ReadOnly);
        QString text = QString::fromUtf8(in.readAll());
        in.close();
        text.replace("$VIDEO_BITRATE", "64").remove(QRegularExpression("MaxSize=[^\n]*\n"));
        fixed.WriteProfile(file, text.toUtf8());
        const double byHand = RunBatch(fixed, clips);
        ratios.append(sized / byHand);
        std::printf("cost: %s %.1f s, at 64 kbit/s fixed %.1f s, ratio %.2f\n",
                    qPrintable(title.section(" - ", 0, 0)),
                    sized,
                    byHand,
                    sized / byHand);
        std::fflush(stdout);
    }
    std::printf("cost: median ratio %.2f\n\n", BenchSupport::Median(ratios));
}

// A speech-like sound (tones, noise, and a level that moves) brought to the given loudness.
QString LoudnessSource(const QString &dir, double lufs)
{
    const QString raw = dir + "/raw.wav";
    QProcess::execute("ffmpeg",
                      {"-v",
                       "error",
                       "-y",
                       "-f",
                       "lavfi",
                       "-i",
                       "anoisesrc=color=pink:sample_rate=44100:amplitude=0.5",
                       "-f",
                       "lavfi",
                       "-i",
                       "sine=f=440:sample_rate=44100",
                       "-f",
                       "lavfi",
                       "-i",
                       "sine=f=1200:sample_rate=44100",
                       "-filter_complex",
                       "[0][1][2]amix=3,volume='0.3+0.7*gt(mod(t,2),1)':eval=frame",
                       "-t",
                       "20",
                       raw});
    // A loud master is limited, as loud music is: without it, the peaks of a -8 LUFS mix run
    // over full scale. The limiter takes some loudness, so the gain is found in a few steps.
    const QString path = QStringLiteral("%1/%2 LUFS.mp4").arg(dir).arg(lufs);
    double gain = lufs - TestMedia::MeasureLoudness(raw).lufs;
    for (int step = 0; step < 4; ++step) {
        TestMedia::MakeLavfiClip(
            path,
            "testsrc2=size=320x240:rate=25",
            "amovie=" + raw,
            {"-t",
             "20",
             "-af",
             QStringLiteral("volume=%1dB,alimiter=limit=0.9:level=false").arg(gain),
             "-c:v",
             "libx264",
             "-preset",
             "ultrafast",
             "-c:a",
             "aac",
             "-b:a",
             "256k"});
        const double reached = TestMedia::MeasureLoudness(path).lufs;
        if (std::abs(reached - lufs) < 0.5)
            break;
        gain += lufs - reached;
    }
    return path;
}

void Loudness(const QString &dir)
{
    std::printf("loudness (target -16 +/- 2 LUFS, true peak at most -1.5 dBTP)\n");
    int misses = 0;
    for (const double lufs : {-35.0, -8.0}) {
        const QString source = LoudnessSource(dir, lufs);
        const TestMedia::Loudness in = TestMedia::MeasureLoudness(source);
        for (int type = 0; type < int(profileFileTable.size()); ++type) {
            ProfileCatalog catalog;
            const auto list = LoadProfileList(catalog, MIVARTEL_SOURCE_DIR "/app", type);
            EngineFixture f;
            f.UseShippedProfile(type, list->selected);
            f.state.evenLoudness = true;
            f.state.jobs.append(ConversionJob::ForSource(source, 20));
            f.Run();
            const ConversionJob job = f.state.jobs.copyOut(0);
            const TestMedia::Loudness out = TestMedia::MeasureLoudness(
                FinalFile(f.state.outputDirectory, job.outputName, type));
            const bool ok = std::abs(out.lufs + 16) <= 2 && out.truePeak <= -1.5;
            misses += ok ? 0 : 1;
            std::printf("source %6.1f LUFS %5.1f dBTP -> type %d %-40s %6.1f LUFS %5.1f dBTP %s\n",
                        in.lufs,
                        in.truePeak,
                        type,
                        qPrintable(list->titles.at(list->selected).left(40)),
                        out.lufs,
                        out.truePeak,
                        ok ? "ok" : "MISS");
            std::fflush(stdout);
        }
    }
    std::printf("loudness: %d outside the target\n\n", misses);
}

} // namespace

int main(int argc, char *argv[])
{
    BenchApplication<QCoreApplication> app(argc, argv);
    QStringList parts = app.arguments().mid(1);
    if (parts.isEmpty())
        parts = {"size", "cost", "loudness"};
    QTemporaryDir media;
    QList<Clip> clips;
    if (parts.contains("size") || parts.contains("cost")) {
        clips = MakeClips(media.path());
        if (clips.isEmpty())
            return 1;
    }
    if (parts.contains("size"))
        Size(clips);
    if (parts.contains("cost"))
        Cost(clips);
    if (parts.contains("loudness"))
        Loudness(media.path());
    return 0;
}
