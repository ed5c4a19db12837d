// Converts a 60-second clip through ConvertJob, then runs the same expanded commands
// directly, and prints the wall-time ratio and the program's own processor time as a share
// of the wall time. Usage: convertbench [rounds]
#include "benchsupport.h"
#include "engine/cellrepainter.h"
#include "engine/commandtemplate.h"
#include "engine/conversioncontext.h"
#include "engine/jobslot.h"
#include "engine/outputtypes.h"
#include "engine/profilelist.h"
#include "engine/programlookup.h"
#include "engine/sharedstate.h"
#include "engine/tickcount.h"
#include "testmedia.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

struct CountingRepainter : CellRepainter
{
    int repaints = 0;
    void RepaintCells(int, int, int) override { ++repaints; }
};

} // namespace

int main(int argc, char *argv[])
{
    BenchApplication<QCoreApplication> app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QTemporaryDir work;
    const QString clip = work.filePath("sixty seconds.mp4");
    if (!TestMedia::MakeClip(
            clip, 60, {"-s", "640x480", "-c:v", "mpeg4", "-q:v", "3", "-c:a", "aac"})) {
        std::fprintf(stderr, "cannot make the clip\n");
        return 1;
    }

    SharedState state;
    CountingRepainter repainter;
    state.repainter = &repainter;
    state.SetProgramDirectory(QCoreApplication::applicationDirPath());
    JobSlot slot;
    ConversionContext context(state, slot);
    ProfileCatalog &catalog = context.catalog;
    ConversionPipeline &pipeline = context.pipeline;

    std::printf("%-6s %10s %10s %8s %10s %9s\n",
                "type",
                "engine s",
                "direct s",
                "ratio",
                "own cpu %",
                "repaints");
    for (int type = 0; type < int(profileFileTable.size()); ++type) {
        state.outputType = type;
        // The type's default profile, as the window and the console choose it.
        state.selectedProfile = LoadProfileList(catalog, state.engineDirectory, type)
                                    .value_or(ProfileList())
                                    .selected;
        QList<double> engineWall, directWall, cpuShare;
        int repaints = 0;
        for (int round = 0; round < rounds; ++round) {
            // Through the engine.
            QDir(work.filePath("engine")).removeRecursively();
            QDir().mkpath(work.filePath("engine"));
            state.outputDirectory = work.filePath("engine") + '/';
            state.jobs.removeAll();
            state.jobs.append(ConversionJob::ForSource(clip, 60));
            slot.jobIndex = 0;
            slot.cancelRequested = 0;
            repainter.repaints = 0;
            const double cpuBefore = BenchSupport::OwnCpuSeconds();
            QElapsedTimer wall;
            wall.start();
            slot.jobStartTick = TickCount();
            pipeline.ConvertJob();
            const double engineSeconds = double(wall.nsecsElapsed()) / 1e9;
            cpuShare.push_back((BenchSupport::OwnCpuSeconds() - cpuBefore) / engineSeconds * 100.0);
            engineWall.push_back(engineSeconds);
            repaints = repainter.repaints;

            // The same commands, run one after another by hand where the runner runs them.
            QDir(work.filePath("direct")).removeRecursively();
            QDir().mkpath(work.filePath("direct"));
            const ConversionJob job = ConversionJob::ForSource(clip, 60);
            pipeline.ProfileProblem(); // loads the profile's commands
            const QStringList templates = catalog.profileValues.mid(1);
            wall.restart();
            for (const QString &commandTemplate : templates) {
                QStringList command = ExpandCommand(commandTemplate,
                                                    job,
                                                    work.filePath("direct") + '/',
                                                    QDateTime::currentDateTime());
                QProcess process;
                process.setProcessChannelMode(QProcess::MergedChannels);
                process.setWorkingDirectory(state.engineDirectory);
                process.start(ProgramLookup::Find(command.takeFirst(), state.engineDirectory).path,
                              command);
                process.waitForFinished(-1);
                process.readAll();
            }
            directWall.push_back(double(wall.nsecsElapsed()) / 1e9);
        }
        const double e = BenchSupport::Median(engineWall);
        const double d = BenchSupport::Median(directWall);
        std::printf("%-6d %10.3f %10.3f %8.3f %10.2f %9d\n",
                    type,
                    e,
                    d,
                    e / d,
                    BenchSupport::Median(cpuShare),
                    repaints);
    }
    std::printf("targets: ratio <= 1.03, own cpu < 2 %%\n");
    return 0;
}
