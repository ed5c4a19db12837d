// Converts beep clips at 23.976, 25, 29.97, 30 and 60 fps, with and without B-frames, trimmed
// to 2-6 s and whole, with every profile of every type, and prints for each output how late its
// pictures are against their beeps, its frame count and its track lengths. Usage:
// syncbench [folder with the three profile files; the shipped ones when left out]
#include "beepclip.h"
#include "benchsupport.h"
#include "engine/enginefixture.h"
#include "engine/outputtypes.h"
#include "engine/profilelist.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <cstdio>

int main(int argc, char *argv[])
{
    BenchApplication<QCoreApplication> app(argc, argv);
    const QString profiles
        = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(MIVARTEL_SOURCE_DIR "/app");
    constexpr double ClipSeconds = 10;
    const QStringList rates{"24000/1001", "25", "30000/1001", "30", "60"};
    struct Range
    {
        int begin, end;
    };
    const QList<Range> ranges{{2, 6}, {0, int(ClipSeconds)}};

    QTemporaryDir media;
    QList<QPair<QString, QString>> clips; // name, path
    for (const QString &rate : rates) {
        for (const int bFrames : {0, 3}) {
            const QString name = QStringLiteral("%1 fps %2B").arg(rate).arg(bFrames);
            const QString path = media.filePath(QString(name).replace('/', '_') + ".mp4");
            QString log;
            if (!BeepClip::Make(path, ClipSeconds, rate, bFrames, &log)) {
                std::fprintf(stderr, "cannot make %s: %s\n", qPrintable(name), qPrintable(log));
                return 1;
            }
            clips.append({name, path});
        }
    }

    std::printf("%-4s %-22s %-16s %-5s %7s %6s %7s %7s %9s %8s %s\n",
                "type",
                "profile",
                "source",
                "range",
                "frames",
                "first",
                "video s",
                "audio s",
                "late ms",
                "frame ms",
                "verdict");
    int rows = 0, faulty = 0;
    double worstShare = 0;
    ProfileCatalog catalog;
    for (int type = 0; type < int(profileFileTable.size()); ++type) {
        const auto list = LoadProfileList(catalog, profiles, type);
        if (!list) {
            std::fprintf(stderr, "no profiles of type %d in %s\n", type, qPrintable(profiles));
            return 1;
        }
        for (int profile = 0; profile < list->titles.size(); ++profile) {
            EngineFixture f;
            f.UseShippedProfile(type, profile);
            const QString file = QLatin1String(profileFileTable[size_t(type)].profileFile).mid(2);
            QFile::remove(f.state.engineDirectory + '/' + file);
            QFile::copy(profiles + '/' + file, f.state.engineDirectory + '/' + file);
            for (const auto &[name, path] : clips) {
                for (const Range &range : ranges) {
                    ConversionJob job = ConversionJob::ForSource(path, ClipSeconds);
                    job.beginTime = range.begin;
                    job.endTime = range.end;
                    f.state.jobs.append(job);
                }
            }
            f.Run();
            for (int i = 0; i < f.state.jobs.count(); ++i) {
                const ConversionJob job = f.state.jobs.copyOut(i);
                const Range range = ranges.at(i % ranges.size());
                const QString source = clips.at(i / ranges.size()).first;
                const BeepClip::Timeline out
                    = BeepClip::Read(f.state.outputDirectory + job.outputName + '.'
                                     + profileFileTable[size_t(type)].extension);
                const double length = range.end - range.begin;
                const double frame = out.frameRate > 0 ? 1 / out.frameRate : 0;
                const QList<double> lateness = BeepClip::PictureLateness(out, range.begin);
                double late = 0;
                for (const double l : lateness)
                    late = std::abs(l) > std::abs(late) ? l : late;
                const int frames = int(out.pictureTimes.size());
                const bool ok = job.finished == 1 && out.problem.isEmpty() && frame > 0
                                && out.pictureSeconds.value(0, -1) == range.begin
                                && !out.pictureSeconds.contains(-1)
                                && std::abs(frames - std::round(length / frame)) <= 1
                                && std::abs(out.videoDuration - length) <= frame
                                && std::abs(out.audioDuration - length) <= frame
                                && lateness.size() == qsizetype(length) - 1
                                && std::abs(late) <= frame / 2;
                ++rows;
                faulty += ok ? 0 : 1;
                if (frame > 0)
                    worstShare = std::max(worstShare, std::abs(late) / frame);
                std::printf("%-4d %-22s %-16s %2d-%-2d %3d/%-3.0f %6d %7.3f %7.3f %9.1f %8.1f %s\n",
                            type,
                            qPrintable(list->titles.at(profile).section(' ', 0, 1)),
                            qPrintable(source),
                            range.begin,
                            range.end,
                            frames,
                            frame > 0 ? std::round(length / frame) : 0.0,
                            out.pictureSeconds.value(0, -1),
                            out.videoDuration,
                            out.audioDuration,
                            late * 1000,
                            frame * 1000,
                            ok ? "ok" : "FAULT");
                std::fflush(stdout);
            }
        }
    }
    std::printf("%d outputs, %d with a fault; the latest picture is %.2f of a frame off its "
                "sound\n",
                rows,
                faulty,
                worstShare);
    return 0;
}
