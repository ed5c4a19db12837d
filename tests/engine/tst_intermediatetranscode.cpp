#include "enginefixture.h"

#include "engine/intermediatetranscode.h"
#include "engine/joblistfile.h"
#include "engine/queuesaver.h"
#include "engine/timelineexporter.h"
#include "testmedia.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <ctime>
#include <optional>

// The export of RealMedia jobs through real ffmpeg, on .rm sources made here.
class TestIntermediateTranscode : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_media;
    QString m_source;     // 8 s RealVideo 2 with AC-3 sound
    QString m_longSource; // 120 s, long enough to stop in the middle

    static QString Value(const QString &path, const QString &entries, const QString &key)
    {
        return TestMedia::ProbeValues(path, entries, key).value(0);
    }

    // One frame as 64x48 grey bytes, for telling moments of testsrc apart.
    static QByteArray Frame(const QString &path, double seconds)
    {
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg",
                     {"-v",
                      "error",
                      "-ss",
                      QString::number(seconds),
                      "-i",
                      "file:" + path,
                      "-frames:v",
                      "1",
                      "-vf",
                      "scale=64:48,format=gray",
                      "-f",
                      "rawvideo",
                      "-"});
        ffmpeg.waitForFinished(60000);
        return ffmpeg.readAllStandardOutput();
    }

    static double Difference(const QByteArray &a, const QByteArray &b)
    {
        if (a.size() != b.size() || a.isEmpty())
            return 1e9;
        double sum = 0;
        for (qsizetype i = 0; i < a.size(); ++i)
            sum += qAbs(int(quint8(a[i])) - int(quint8(b[i])));
        return sum / double(a.size());
    }

    static void AddJob(EngineFixture &f, const QString &source, double begin, double end)
    {
        ConversionJob job = ConversionJob::ForSource(source, end);
        job.beginTime = begin;
        job.endTime = end;
        f.state.jobs.append(job);
    }

    static QStringList Intermediates(const EngineFixture &f)
    {
        return QDir(f.programDir.path()).entryList({"*.avi", "*.mpg"}, QDir::Files);
    }

private slots:
    void initTestCase()
    {
        m_source = m_media.filePath("clip.rm");
        m_longSource = m_media.filePath("long.rm");
        QString log;
        const QStringList real{"-c:v", "rv20", "-c:a", "ac3", "-f", "rm"};
        QVERIFY2(TestMedia::MakeClip(m_source, 8, real, &log), qPrintable(log));
        QVERIFY2(TestMedia::MakeClip(m_longSource, 120, real, &log), qPrintable(log));
    }

    void machineListsThePreferredCompressors()
    {
        TimelineExporter control;
        QStringList video;
        for (short i = 0; i < control.GetVideoCompressors().Count(); ++i)
            video << control.GetVideoCompressors().Item(i);
        QStringList audio;
        for (short i = 0; i < control.GetAudioCompressors().Count(); ++i)
            audio << control.GetAudioCompressors().Item(i);
        QVERIFY(video.contains("Microsoft MPEG-4 Video Codec V3"));
        QVERIFY(audio.contains("MPEG Layer-3"));
        QVERIFY(audio.contains("PCM"));
        // Other encoders keep names of their own, not their short ffmpeg names.
        QVERIFY(video.contains("MPEG-1 video"));
        QVERIFY(!video.contains("msmpeg4"));
        QVERIFY(control.GetVideoCompressors().Item(video.size()).isEmpty());
    }

    // The job's range, and only it, becomes an AVI beside the program, read by pass 1.
    void rangeBecomesAviWithPreferredCompressors()
    {
        EngineFixture f;
        TimelineExporter control;
        IntermediateTranscode transcode(f.state, control);
        AddJob(f, m_source, 2.0, 6.0);
        QList<double> percents;
        f.onRepaint = [&](int row, int column) {
            QCOMPARE(row, 0);
            QCOMPARE(column, int(JobColumn::Progress));
            percents << f.state.jobs.copyOut(0).exportPercent;
        };
        QSignalSpy finished(&control, &TimelineExporter::ExportFinished);

        transcode.ExportIntermediate(0);

        const ConversionJob job = f.state.jobs.copyOut(0);
        QCOMPARE(job.stage, 1);
        QCOMPARE(job.intermediateDone, 1);
        QCOMPARE(finished.count(), 1);
        const QRegularExpression name("^" + QRegularExpression::escape(f.state.programDirectory)
                                      + "clip_(\\d{5})\\.avi$");
        const QRegularExpressionMatch match = name.match(job.intermediatePath);
        QVERIFY2(match.hasMatch(), qPrintable(job.intermediatePath));
        QVERIFY(match.captured(1).toInt() >= 10000 && match.captured(1).toInt() <= 50000);
        const QString path = job.intermediatePath;
        QCOMPARE(TestMedia::ProbeValues(path, "stream=codec_name", "codec_name"),
                 (QStringList{"msmpeg4v3", "mp3"}));
        QCOMPARE(Value(path, "stream=width", "width") + "x"
                     + Value(path, "stream=height", "height"),
                 QString("320x240"));
        QCOMPARE(Value(path, "stream=r_frame_rate", "r_frame_rate"), QString("15/1"));
        const double duration = Value(path, "format=duration", "duration").toDouble();
        QVERIFY2(qAbs(duration - 4.0) < 0.2, qPrintable(QString::number(duration)));
        // Its first picture is the source's at 2 s, not at 0 s.
        const QByteArray first = Frame(path, 0.0);
        QVERIFY(Difference(first, Frame(m_source, 2.0)) < Difference(first, Frame(m_source, 0.0)));
        QVERIFY(!percents.isEmpty());
        QCOMPARE(percents.last(), 100.0);

        // The first encoder command reads the intermediate file, which is gone after pass 1.
        f.UseShippedProfile(0, 1);
        f.state.converting = 1;
        f.pipeline.ConvertJob();
        f.state.converting = 0;
        QVERIFY(!QFile::exists(path));
        const QString result = f.outputDir.filePath("clip.3gp");
        QVERIFY(QFile::exists(result));
        const double length = Value(result, "format=duration", "duration").toDouble();
        QVERIFY2(qAbs(length - 4.0) < 0.3, qPrintable(QString::number(length)));
    }

    // Without a preferred pair the timeline goes to MPEG; the highest matching index wins.
    void compressorChoice_data()
    {
        QTest::addColumn<QList<CompressorList::Entry>>("video");
        QTest::addColumn<QList<CompressorList::Entry>>("audio");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QStringList>("codecs");
        QTest::newRow("no preferred audio")
            << QList<CompressorList::Entry>{{"Microsoft MPEG-4 Video Codec V3", "msmpeg4"}}
            << QList<CompressorList::Entry>{{"MPEG audio layer 2", "mp2"}} << "mpg"
            << QStringList{"mpeg1video", "mp2"};
        QTest::newRow("nothing listed")
            << QList<CompressorList::Entry>{} << QList<CompressorList::Entry>{} << "mpg"
            << QStringList{"mpeg1video", "mp2"};
        QTest::newRow("second choices, last match")
            << QList<CompressorList::Entry>{{"DivX old", "msmpeg4v2"},
                                            {"Raw", "rawvideo"},
                                            {"DivX new", "mpeg4"}}
            << QList<CompressorList::Entry>{{"PCM unsigned 8-bit", "pcm_u8"}, {"PCM", "pcm_s16le"}}
            << "avi" << QStringList{"mpeg4", "pcm_s16le"};
    }

    void compressorChoice()
    {
        QFETCH(QList<CompressorList::Entry>, video);
        QFETCH(QList<CompressorList::Entry>, audio);
        QFETCH(QString, extension);
        QFETCH(QStringList, codecs);
        EngineFixture f;
        TimelineExporter control;
        control.SetCompressorLists(CompressorList(video), CompressorList(audio));
        IntermediateTranscode transcode(f.state, control);
        AddJob(f, m_source, 1.0, 3.0);

        transcode.ExportIntermediate(0);

        const QString path = f.state.jobs.copyOut(0).intermediatePath;
        QVERIFY2(path.endsWith("." + extension), qPrintable(path));
        QCOMPARE(f.state.jobs.copyOut(0).stage, 1);
        QCOMPARE(TestMedia::ProbeValues(path, "stream=codec_name", "codec_name"), codecs);
        const double duration = Value(path, "format=duration", "duration").toDouble();
        QVERIFY2(qAbs(duration - 2.0) < 0.2, qPrintable(QString::number(duration)));
    }

    void progressEventSetsPercentAndRepaints()
    {
        EngineFixture f;
        TimelineExporter control;
        IntermediateTranscode transcode(f.state, control);
        AddJob(f, m_source, 0.0, 8.0);
        AddJob(f, m_source, 0.0, 8.0);
        f.state.currentJobIndex = 1;
        QList<int> rows;
        f.onRepaint = [&](int row, int column) {
            if (column == JobColumn::Progress)
                rows << row;
        };
        transcode.OnExportProgress(30, 120);
        QCOMPARE(f.state.jobs.copyOut(1).exportPercent, 25.0);
        QCOMPARE(f.state.jobs.copyOut(0).exportPercent, 0.0);
        QCOMPARE(rows, QList<int>{1});
    }

    // Stop: the batch ends at once with the job at stage 0, the export ended and its file
    // gone, whether or not another event of it would come. Meanwhile the saved list names the
    // file, and a start after a crash at that moment deletes it, and only it.
    void stopDuringExport()
    {
        EngineFixture f;
        f.UseShippedProfile(0, 1);
        TimelineExporter control;
        IntermediateTranscode transcode(f.state, control);
        f.batch.SetIntermediateExporter(&transcode);
        const QString listPath = f.programDir.filePath("jobs.json");
        std::optional<QueueSaver> saver(std::in_place, f.state, listPath);
        AddJob(f, m_longSource, 0.0, 120.0);
        QString path;
        bool stopped = false;
        bool existedAtStop = false;
        QByteArray listAtStop;
        // Connected after the transcode's handler, so this runs once that has seen the event.
        connect(&control, &TimelineExporter::ExportProgress, this, [&](double done, double) {
            path = f.state.jobs.copyOut(0).intermediatePath;
            if (!stopped && done > 0.0) {
                existedAtStop = QFile::exists(path);
                QFile list(listPath);
                QVERIFY(list.open(QIODevice::ReadOnly));
                listAtStop = list.readAll();
                f.batch.StopConverting();
                stopped = true;
            }
        });

        f.Run();

        QVERIFY(!control.IsExporting());
        QVERIFY(!QFile::exists(path));
        QCOMPARE(f.state.cancelRequested, quint8(1));
        QCOMPARE(f.state.jobs.copyOut(0).stage, 0);
        QCOMPARE(f.state.jobs.copyOut(0).intermediateDone, 0);
        QVERIFY(stopped);
        QVERIFY(existedAtStop);
        QVERIFY(Intermediates(f).isEmpty());
        QVERIFY(f.OutputFiles().isEmpty());

        // As a crash would have left it, beside a file of the same shape it did not make.
        saver.reset();
        const QString other = f.programDir.filePath("clip_99999.avi");
        for (const QString &file : {path, other}) {
            QFile made(file);
            QVERIFY(made.open(QIODevice::WriteOnly));
            made.write("export");
        }
        QFile list(listPath);
        QVERIFY(list.open(QIODevice::WriteOnly | QIODevice::Truncate));
        list.write(listAtStop);
        list.close();
        SharedState next;
        next.SetProgramDirectory(f.programDir.path());
        QueueSaver restarted(next, listPath);
        QCOMPARE(restarted.Restore().jobs.size(), 1);
        QVERIFY(!QFile::exists(path));
        QVERIFY(QFile::exists(other));
        const SavedJobs rewritten = JobListFile::Read(listPath, next.programDirectory);
        QCOMPARE(rewritten.jobs.size(), 1);
        QVERIFY(rewritten.intermediates.isEmpty());
    }

    // With two jobs at once, the exports still come one at a time, the next while the job
    // before it encodes; each job reads its own intermediate file.
    void exportsOneAtATimeBesideEncodingJobs()
    {
        struct Serialising : IntermediateExporter
        {
            IntermediateExporter &inner;
            const SharedState &state;
            int depth = 0;
            int deepest = 0;
            QList<QList<int>> runningAtExport;
            Serialising(IntermediateExporter &inner, const SharedState &state)
                : inner(inner)
                , state(state)
            {}
            void ExportIntermediate(int jobIndex) override
            {
                deepest = qMax(deepest, ++depth);
                runningAtExport.append(state.runningJobs);
                inner.ExportIntermediate(jobIndex);
                --depth;
            }
            void StopExport() override { inner.StopExport(); }
        };
        EngineFixture f;
        f.UseShippedProfile(0, 1);
        TimelineExporter control;
        IntermediateTranscode transcode(f.state, control);
        Serialising exporter(transcode, f.state);
        f.batch.SetIntermediateExporter(&exporter);
        f.batch.SetJobsAtOnce(2);
        for (int i = 0; i < 3; ++i)
            AddJob(f, m_source, 0.0, 8.0);
        f.Run();
        QCOMPARE(exporter.deepest, 1);
        QCOMPARE(exporter.runningAtExport.size(), 3);
        QCOMPARE(exporter.runningAtExport.value(1), QList<int>{0});
        for (int row = 0; row < 3; ++row)
            QCOMPARE(f.state.jobs.copyOut(row).finished, 1);
        QCOMPARE(f.OutputFiles().size(), 3);
        QTRY_VERIFY(Intermediates(f).isEmpty());
    }

    void startFailureLeavesTheJobOnItsSource()
    {
        EngineFixture f;
        TimelineExporter control;
        IntermediateTranscode transcode(f.state, control);
        const QString text = m_media.filePath("notmedia.rm");
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a media file");
        file.close();
        AddJob(f, text, 0.0, 5.0);

        transcode.ExportIntermediate(0);

        QCOMPARE(f.state.jobs.copyOut(0).stage, 0);
        QCOMPARE(f.state.jobs.copyOut(0).intermediateDone, 0);
        QVERIFY(Intermediates(f).isEmpty());
    }

    void intermediateFolderFallsBackToTheCache()
    {
        EngineFixture f;
        QTemporaryDir cache;
        qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
        TimelineExporter control;
        IntermediateTranscode transcode(f.state, control);
        QCOMPARE(transcode.IntermediateDirectory(), f.state.programDirectory);
        const QString fallback = cache.path() + "/mivartel/";
        // A program folder that has gone, or (unless we run as root) one we may not write.
        f.state.programDirectory = f.programDir.filePath("gone") + "/";
        QCOMPARE(transcode.IntermediateDirectory(), fallback);
        QVERIFY(QFileInfo(fallback).isDir());
        f.state.SetProgramDirectory(f.programDir.path());
        QVERIFY(QFile::setPermissions(f.programDir.path(), QFile::ReadOwner | QFile::ExeOwner));
        if (!QFileInfo(f.programDir.path()).isWritable())
            QCOMPARE(transcode.IntermediateDirectory(), fallback);
        QFile::setPermissions(f.programDir.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qunsetenv("XDG_CACHE_HOME");
    }

    void randomBetween()
    {
        QCOMPARE(IntermediateTranscode::RandomBetween(7, 3), 7);
        QCOMPARE(IntermediateTranscode::RandomBetween(4, 4), 4);
        // Reseeded from the clock in seconds: calls within one second agree.
        std::time_t before = 0;
        int first = 0;
        int second = 0;
        do {
            before = std::time(nullptr);
            first = IntermediateTranscode::RandomBetween(10000, 50000);
            second = IntermediateTranscode::RandomBetween(10000, 50000);
        } while (std::time(nullptr) != before);
        QCOMPARE(first, second);
        QVERIFY(first >= 10000 && first <= 50000);
    }
};

QTEST_GUILESS_MAIN(TestIntermediateTranscode)
#include "tst_intermediatetranscode.moc"
