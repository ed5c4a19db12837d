// Times the media component: GetMediaDuration on a 10-minute file, and an export against
// the same ffmpeg command run directly. Prints the figures; run by hand from the build folder.
#include "benchsupport.h"
#include "engine/compressorlist.h"
#include "engine/timelineexporter.h"
#include "media/cvideoedit.h"
#include "testmedia.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

// The intermediate transcode's settings: MS-MPEG-4 v3 and MP3 at 320x240, 15 frames/s.
void SetUpLikeTheTranscode(TimelineExporter &exporter)
{
    const CompressorList video = exporter.GetVideoCompressors();
    const CompressorList audio = exporter.GetAudioCompressors();
    for (short i = 0; i < video.Count(); ++i) {
        if (video.Item(i).contains("Microsoft MPEG-4 Video Codec V3"))
            exporter.SetVideoCompressor(i);
    }
    for (short i = 0; i < audio.Count(); ++i) {
        if (audio.Item(i).contains("MPEG Layer-3"))
            exporter.SetAudioCompressor(i);
    }
    exporter.SetUseVideoCompressor(true);
    exporter.SetUseAudioCompressor(true);
    exporter.SetOutputFormat(TimelineExporter::Avi);
    exporter.SetVideoWidth(320);
    exporter.SetVideoHeight(240);
    exporter.SetFrameRate(15.0f);
}

} // namespace

int main(int argc, char *argv[])
{
    BenchApplication<QApplication> app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QString source = dir.filePath("tenminutes.mp4");
    out << "making a 10-minute clip..." << Qt::endl;
    if (!TestMedia::MakeClip(source, 600, {"-c:v", "mpeg4", "-c:a", "aac"})) {
        out << "ffmpeg could not make the clip" << Qt::endl;
        return 1;
    }

    CVideoEdit edit;
    QList<double> durations;
    double measured = 0.0;
    for (int i = 0; i < 31; ++i) {
        QElapsedTimer clock;
        clock.start();
        measured = edit.GetMediaDuration(source);
        durations << double(clock.nsecsElapsed()) / 1e6;
    }
    out << QString("GetMediaDuration (%1 s file): median %2 ms over %3 calls (target < 50 ms)")
               .arg(measured, 0, 'f', 1)
               .arg(BenchSupport::Median(durations), 0, 'f', 3)
               .arg(durations.size())
        << Qt::endl;

    // 120 s of the file, as the intermediate transcode renders it.
    TimelineExporter &exporter = edit.exporter();
    SetUpLikeTheTranscode(exporter);
    exporter.ClearTimeline();
    exporter.AddVideoRange(source, 60.0, 180.0);
    exporter.AddAudioRange(source, 60.0, 180.0);
    const QString target = dir.filePath("export.avi");
    const QStringList arguments = exporter.ExportArguments(target);
    const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
    QList<double> viaExport;
    QList<double> direct;
    // Alternating which goes first, so neither always meets a cold or a warm cache.
    auto runExport = [&] {
        QEventLoop loop;
        QObject::connect(&exporter, &TimelineExporter::ExportFinished, &loop, &QEventLoop::quit);
        QElapsedTimer clock;
        clock.start();
        if (!exporter.StartExport(target))
            return false;
        loop.exec();
        viaExport << double(clock.elapsed());
        return true;
    };
    auto runDirect = [&] {
        QProcess process;
        QElapsedTimer clock;
        clock.start();
        process.start(ffmpeg, arguments);
        process.waitForFinished(-1);
        direct << double(clock.elapsed());
    };
    for (int round = 0; round < 7; ++round) {
        if (round % 2 == 0)
            runDirect();
        if (!runExport()) {
            out << "the export did not start" << Qt::endl;
            return 1;
        }
        if (round % 2 == 1)
            runDirect();
    }
    const double exportMs = BenchSupport::Median(viaExport);
    const double directMs = BenchSupport::Median(direct);
    out << QString("export of 120 s (AVI, MS-MPEG-4 v3 + MP3): median %1 ms; ffmpeg run "
                   "directly: median %2 ms; ratio %3 (target <= 1.05)")
               .arg(exportMs, 0, 'f', 0)
               .arg(directMs, 0, 'f', 0)
               .arg(exportMs / directMs, 0, 'f', 3)
        << Qt::endl;
    return 0;
}
