// Converts a batch of 8 SD clips (640x480, 30 s) and a batch of 3 HD clips (1280x720, 60 s)
// through BatchConversion with 1, 2 and 3 jobs at once, in rounds whose order turns, and
// prints each batch's wall time and its ratio to one at a time, pair by pair (same round).
// Usage: jobsbench [outputType [rounds [most at once]]] (by default 0, 3 and 3)
#include "benchsupport.h"
#include "engine/conversionengine.h"
#include "engine/outputtypes.h"
#include "engine/profilelist.h"
#include "testmedia.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>

namespace {

struct Batch
{
    const char *name;
    int clips;
    double seconds;
    const char *size;
    QStringList files;
};

// Seconds of wall time for the batch with `jobs` at once; negative when a job failed.
double Convert(ConversionEngine &engine, const Batch &batch, int jobs, const QString &out)
{
    SharedState &state = engine.state;
    QDir(out).removeRecursively();
    QDir().mkpath(out);
    state.outputDirectory = out + '/';
    state.jobs.removeAll();
    for (const QString &file : batch.files)
        state.jobs.append(ConversionJob::ForSource(file, batch.seconds));
    engine.batch.SetJobsAtOnce(jobs);
    state.converting = 1;
    QElapsedTimer wall;
    wall.start();
    const BatchOutcome outcome = engine.batch.RunJobs(state.jobs.count());
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    state.converting = 0;
    return outcome.finished == batch.clips ? seconds : -1.0;
}

} // namespace

int main(int argc, char *argv[])
{
    BenchApplication<QCoreApplication> app(argc, argv);
    const int type = argc > 1 ? atoi(argv[1]) : OutputType::Amr3gp;
    const int rounds = argc > 2 ? atoi(argv[2]) : 3;
    const int mostAtOnce = argc > 3 ? qBound(1, atoi(argv[3]), 8) : 3;
    QTemporaryDir work;
    Batch batches[] = {{"SD", 8, 30, "640x480", {}}, {"HD", 3, 60, "1280x720", {}}};
    for (Batch &batch : batches) {
        for (int i = 0; i < batch.clips; ++i) {
            const QString path = work.filePath(QStringLiteral("%1%2.mp4").arg(batch.name).arg(i));
            if (!TestMedia::MakeClip(
                    path,
                    batch.seconds,
                    {"-s", batch.size, "-c:v", "libx264", "-preset", "veryfast", "-c:a", "aac"})) {
                std::fprintf(stderr, "cannot make %s\n", qPrintable(path));
                return 1;
            }
            batch.files.append(path);
        }
    }

    ConversionEngine engine;
    SharedState &state = engine.state;
    state.SetProgramDirectory(QCoreApplication::applicationDirPath());
    state.outputType = type;
    // The type's default profile, as the window and the console choose it.
    state.selectedProfile = LoadProfileList(engine.catalog, state.engineDirectory, type)
                                .value_or(ProfileList())
                                .selected;

    std::printf("type %d, %d rounds, %d processors\n", type, rounds, QThread::idealThreadCount());
    for (const Batch &batch : batches) {
        QList<double> wall[9];
        QList<double> ratio[9];
        for (int round = 0; round < rounds; ++round) {
            double seconds[9] = {};
            // 1, 2, 3, then 3, 2, 1, ...: a drift of the machine weighs on every number alike.
            for (int k = 0; k < mostAtOnce; ++k) {
                const int jobs = round % 2 == 0 ? k + 1 : mostAtOnce - k;
                seconds[jobs] = Convert(engine, batch, jobs, work.filePath("out"));
                if (seconds[jobs] < 0) {
                    std::fprintf(stderr, "%s with %d at once: a job failed\n", batch.name, jobs);
                    return 1;
                }
                wall[jobs].append(seconds[jobs]);
            }
            for (int jobs = 2; jobs <= mostAtOnce; ++jobs)
                ratio[jobs].append(seconds[jobs] / seconds[1]);
        }
        std::printf(
            "%s: %d clips of %g s at %s\n", batch.name, batch.clips, batch.seconds, batch.size);
        std::printf(
            "  %-7s %10s %12s %10s %10s\n", "at once", "median s", "ratio to 1", "min", "max");
        for (int jobs = 1; jobs <= mostAtOnce; ++jobs) {
            if (jobs == 1) {
                std::printf("  %-7d %10.2f %12s\n", jobs, BenchSupport::Median(wall[jobs]), "1");
                continue;
            }
            const QList<double> &r = ratio[jobs];
            std::printf("  %-7d %10.2f %12.3f %10.3f %10.3f\n",
                        jobs,
                        BenchSupport::Median(wall[jobs]),
                        BenchSupport::Median(r),
                        *std::min_element(r.begin(), r.end()),
                        *std::max_element(r.begin(), r.end()));
        }
        std::fflush(stdout);
    }
    return 0;
}
