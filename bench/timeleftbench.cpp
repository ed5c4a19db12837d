// Converts a batch of five clips of different lengths and picture sizes through
// BatchConversion, samples the time-left estimate at every progress repaint, and prints how
// far it was from the truth at 10, 50 and 90 % of the batch.
// Usage: timeleftbench [outputType [times [at once]]]: the clips last `times` times 20, 90, 45,
// 150, 60 s, converted `at once` at a time (1 by default).
#include "engine/cellrepainter.h"
#include "engine/conversionengine.h"
#include "engine/profilelist.h"
#include "engine/tickcount.h"
#include "testmedia.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>

namespace {

struct Sample
{
    quint32 tick;
    double left;
};

struct SamplingRepainter : CellRepainter
{
    const BatchEstimate *estimate = nullptr;
    QList<Sample> samples;
    void RepaintCells(int, int, int) override
    {
        const quint32 now = TickCount();
        if (const std::optional<double> left = estimate->SecondsLeft(now))
            samples.append({now, *left});
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int type = argc > 1 ? atoi(argv[1]) : 0;
    const double times = argc > 2 ? atof(argv[2]) : 1.0;
    const int atOnce = argc > 3 ? atoi(argv[3]) : 1;
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
    ConversionEngine engine;
    SamplingRepainter repainter;
    repainter.estimate = &engine.batch.estimate();
    SharedState &state = engine.state;
    state.repainter = &repainter;
    state.SetProgramDirectory(QCoreApplication::applicationDirPath());
    state.outputDirectory = work.filePath("out") + '/';
    QDir().mkpath(state.outputDirectory);
    for (const Clip &clip : clips) {
        const QString path = work.filePath(QString(clip.name) + ".mp4");
        const double seconds = clip.seconds * times;
        if (!TestMedia::MakeClip(
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
    const double total = (end - start) / 1000.0;
    std::printf("type %d: 5 clips (%g x 20 s 320x240, 90 s 640x480, 45 s 1280x720, 150 s "
                "320x240, 60 s 960x540), %d at once, %d finished, %.1f s in all\n",
                type,
                times,
                atOnce,
                outcome.finished,
                total);
    std::printf("%6s %12s %12s %10s %12s\n", "share", "estimate s", "true s", "error", "of batch");
    for (double share : {0.1, 0.5, 0.9}) {
        for (const Sample &sample : std::as_const(repainter.samples)) {
            if ((sample.tick - start) / 1000.0 < share * total)
                continue;
            const double truth = (end - sample.tick) / 1000.0;
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
