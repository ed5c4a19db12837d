// Runs a batch of three 60-second clips from the main page (offscreen, the real outer window
// and engine) and measures how late a 5 ms timer fires meanwhile: p50, p99 and the maximum,
// plus the program's own processor time as a share of the wall time (the encoders' time is
// not the program's). Usage: windowbench [clip seconds] [job count] [screenshot.png]
// Offscreen unless a display is set; with a file name, ImageMagick's `import` takes a
// screenshot of the display while the last job's first pass runs.
#include "benchsupport.h"
#include "pagefixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int TimerMs = 5;

} // namespace

int main(int argc, char *argv[])
{
    BenchApplication<QApplication> app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    const int jobs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const QString shot = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    bool shotTaken = false;

    PageFixture fixture;
    fixture.SetUp();
    CMivartelDlg *page = fixture.OpenWith(fixture.Clips("clip", jobs, seconds));
    if (!page) {
        std::fprintf(stderr, "windowbench: cannot show the page or make or add the clips\n");
        return 1;
    }

    QList<double> lateness; // milliseconds past each 5 ms period
    QElapsedTimer clock;
    qint64 lastNs = -1;
    const auto measureAndShoot = [&] {
        const qint64 now = clock.nsecsElapsed();
        if (lastNs >= 0 && page->converting())
            lateness.push_back(std::max(0.0, double(now - lastNs) / 1e6 - TimerMs));
        lastNs = now;
        const SharedState &state = page->state();
        if (!shot.isEmpty() && !shotTaken && state.converting && state.currentJobIndex == jobs - 1
            && state.jobs.copyOut(jobs - 1).encodedTime > seconds / 4) {
            shotTaken = true;
            QProcess::startDetached(QStringLiteral("import"),
                                    {QStringLiteral("-window"), QStringLiteral("root"), shot});
        }
    };
    clock.start();
    const double cpuBefore = BenchSupport::OwnCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    fixture.RunBatch(page, measureAndShoot, TimerMs);
    const double wallSeconds = double(wall.nsecsElapsed()) / 1e9;
    const double cpuSeconds = BenchSupport::OwnCpuSeconds() - cpuBefore;

    int finished = 0;
    for (int i = 0; i < page->state().jobs.count(); ++i)
        finished += page->state().jobs.copyOut(i).finished;
    std::printf("batch: %d clips of %.0f s, %d finished, %.2f s wall\n",
                jobs,
                seconds,
                finished,
                wallSeconds);
    std::printf("5 ms timer lateness over %lld periods: p50 %.2f ms, p99 %.2f ms, max %.2f ms\n",
                static_cast<long long>(lateness.size()),
                BenchSupport::Percentile(lateness, 0.50),
                BenchSupport::Percentile(lateness, 0.99),
                BenchSupport::Percentile(lateness, 1.0));
    std::printf("own processor time: %.3f s = %.2f %% of the wall time\n",
                cpuSeconds,
                100.0 * cpuSeconds / wallSeconds);
    fixture.outer.reset();
    return finished == jobs ? 0 : 1;
}
