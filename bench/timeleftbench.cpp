// Converts a batch of five clips of different lengths and picture sizes through
// BatchConversion, samples the time-left estimate at every progress repaint, and prints how
// far it was from the truth at 10, 50 and 90 % of the batch, when it first gave a figure and
// the most it rose within a second. Paused time counts neither in the batch nor in the truth.
// Usage: timeleftbench [outputType [times [at once [pause s [at share]]]]]: the clips last
// `times` times 20, 90, 45, 150, 60 s, converted `at once` at a time (the program's default by
// default); with `pause s`, the batch pauses that long once `at share` (0.3 by default) of its
// media is done. TIMELEFT_CLIPS=folder keeps the clips there for the next run; TIMELEFT_TRACE=1
// prints a line a second of the jobs' progress and the figure.
#include "engine/cellrepainter.h"
#include "engine/conversionengine.h"
#include "engine/profilelist.h"
#include "engine/tickcount.h"
#include "testmedia.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

struct Sample
{
    quint32 tick;
    double left;
};

// With TIMELEFT_TRACE set, a line a second: each job's stage and media seconds reached.
struct Trace
{
    quint32 tick;
    std::optional<double> left;
    QString jobs;
};

struct SamplingRepainter : CellRepainter
{
    BatchConversion *batch = nullptr;
    const SharedState *state = nullptr;
    QList<Sample> samples;
    QList<Trace> trace;

    bool tracing = qEnvironmentVariableIsSet("TIMELEFT_TRACE");
    double pauseAt = 0.0;
    quint32 pauseMs = 0;
    quint32 pausedFrom = 0; // ticks; both 0 until the pause
    quint32 pausedTo = 0;
    void RepaintCells(int, int, int) override
    {
        const quint32 now = TickCount();
        const std::optional<double> left = batch->estimate().SecondsLeft(now);
        if (left)
            samples.append({now, *left});
        if (tracing && (trace.isEmpty() || now - trace.last().tick >= 1000)) {
            QString jobs;
            for (int row = 0; row < state->jobs.count(); ++row) {
                const ConversionJob job = state->jobs.copyOut(row);
                jobs += QStringLiteral(" %1%2:%3")
                            .arg(QChar('a' + row))
                            .arg(job.finished            ? QStringLiteral("F")
                                 : state->IsRunning(row) ? QString::number(job.stage)
                                                         : QStringLiteral("-"))
                            .arg(job.encodedTime, 0, 'f', 0);
            }
            trace.append({now, left, jobs});
        }
        if (pauseMs == 0 || pausedFrom != 0 || batch->estimate().ShareDone() < pauseAt)
            return;
        pausedFrom = now;
        // Not from inside a repaint: the page pauses from its own event, too.
        QTimer::singleShot(0, [this] { batch->Pause(); });
        QTimer::singleShot(int(pauseMs), [this] {
            batch->Resume();
            pausedTo = TickCount();
        });
    }
    // Milliseconds from `start` to `tick`, less the pause.
    quint32 RunningMs(quint32 start, quint32 tick) const
    {
        quint32 ms = tick - start;
        if (pausedTo != 0 && tick > pausedFrom)
            ms -= qMin(tick, pausedTo) - pausedFrom;
        return ms;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int type = argc > 1 ? atoi(argv[1]) : 0;
    const double times = argc > 2 ? atof(argv[2]) : 1.0;
    const int atOnce = argc > 3 ? atoi(argv[3]) : BatchConversion::DefaultJobsAtOnce();
    const double pauseSeconds = argc > 4 ? atof(argv[4]) : 0.0;
    const double pauseAt = argc > 5 ? atof(argv[5]) : 0.3;
    QTemporaryDir work;
    struct Clip
    {
        const char *name;
        double seconds;
        const char *size;
    };
    const Clip clips[] = {{"a", 20, "320x240"},
                          {"b", 90, "640x480"},
                          {"c", 45, "1280x720"},
                          {"d", 150, "320x240"},
                          {"e", 60, "960x540"}};
    const QDir clipDir(qEnvironmentVariableIsSet("TIMELEFT_CLIPS")
                           ? qEnvironmentVariable("TIMELEFT_CLIPS")
                           : work.path());
    ConversionEngine engine;
    SamplingRepainter repainter;
    repainter.batch = &engine.batch;
    repainter.pauseAt = pauseAt;
    repainter.pauseMs = quint32(pauseSeconds * 1000.0);
    SharedState &state = engine.state;
    repainter.state = &state;
    state.repainter = &repainter;
    state.SetProgramDirectory(QCoreApplication::applicationDirPath());
    state.outputDirectory = work.filePath("out") + '/';
    QDir().mkpath(state.outputDirectory);
    for (const Clip &clip : clips) {
        const double seconds = clip.seconds * times;
        // TIMELEFT_CLIPS names a folder that keeps the clips between runs.
        const QString path
            = clipDir.filePath(QStringLiteral("%1-%2.mp4").arg(QString(clip.name)).arg(seconds));
        if (!QFileInfo::exists(path)
            && !TestMedia::MakeClip(
                path, seconds, {"-s", clip.size, "-c:v", "mpeg4", "-q:v", "4", "-c:a", "aac"})) {
            std::fprintf(stderr, "cannot make the clip %s\n", clip.name);
            return 1;
        }
        state.jobs.append(ConversionJob::ForSource(path, seconds));
    }
    state.outputType = type;
    // The type's default profile, as the window and the console choose it.
    state.selectedProfile = LoadProfileList(engine.catalog, state.engineDirectory, type)
                                .value_or(ProfileList())
                                .selected;
    engine.batch.SetJobsAtOnce(atOnce);
    state.converting = 1;
    const quint32 start = TickCount();
    const BatchOutcome outcome = engine.batch.RunJobs(state.jobs.count());
    const quint32 end = TickCount();
    state.converting = 0;
    const double total = repainter.RunningMs(start, end) / 1000.0;
    std::printf("type %d: 5 clips (%g x 20 s 320x240, 90 s 640x480, 45 s 1280x720, 150 s "
                "320x240, 60 s 960x540), %d at once, %d finished, %.1f s in all",
                type,
                times,
                atOnce,
                outcome.finished,
                total);
    if (repainter.pausedFrom != 0)
        std::printf(", paused %.1f s at %.0f %% of the media",
                    (repainter.pausedTo - repainter.pausedFrom) / 1000.0,
                    pauseAt * 100);
    std::printf("\n");
    const QList<Sample> &samples = repainter.samples;
    if (samples.isEmpty()) {
        std::printf("no figure\n");
        return 0;
    }
    const auto elapsed
        = [&](const Sample &sample) { return repainter.RunningMs(start, sample.tick) / 1000.0; };
    std::printf("first figure at %.1f s, %.0f s left (%.0f s true)\n",
                elapsed(samples.first()),
                samples.first().left,
                total - elapsed(samples.first()));
    double rise = 1.0;
    for (qsizetype i = 0; i < samples.size(); ++i)
        for (qsizetype j = i + 1; j < samples.size() && samples[j].tick - samples[i].tick <= 1000;
             ++j)
            rise = qMax(rise, samples[j].left / samples[i].left);
    for (const Trace &line : std::as_const(repainter.trace)) {
        const double at = repainter.RunningMs(start, line.tick) / 1000.0;
        std::printf("%7.1f s %7.1f true %7s est %s\n",
                    at,
                    total - at,
                    line.left ? qPrintable(QString::number(*line.left, 'f', 1)) : "-",
                    qPrintable(line.jobs));
    }
    std::printf("most it rose within a second: x%.2f\n", rise);
    std::printf("%6s %12s %12s %10s %12s\n", "share", "estimate s", "true s", "error", "of batch");
    for (double share : {0.1, 0.5, 0.9}) {
        for (const Sample &sample : samples) {
            if (elapsed(sample) < share * total)
                continue;
            const double truth = total - elapsed(sample);
            std::printf("%5.0f%% %12.1f %12.1f %+9.1f%% %+11.1f%%\n",
                        share * 100,
                        sample.left,
                        truth,
                        (sample.left - truth) / truth * 100.0,
                        (sample.left - truth) / total * 100.0);
            break;
        }
    }
    return 0;
}
