#include "enginefixture.h"

#include "engine/intermediateexporter.h"
#include "engine/joblistfile.h"
#include "engine/queuesaver.h"
#include "engine/sharedstate.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

// The job list kept between runs: what comes back, what a damaged file gives, and when the
// file is written. The crash path is windowcrash's (tests/workflow).
class TestJobListFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    static ConversionJob Job(const QString &source,
                             double begin,
                             double end,
                             int stage = 0,
                             int finished = 0,
                             const QString &failure = {})
    {
        ConversionJob job = ConversionJob::ForSource(source, end);
        job.beginTime = begin;
        job.stage = stage;
        job.finished = finished;
        job.failed = failure.isEmpty() ? 0 : 1;
        job.failureReason = failure;
        job.sizeKB = 77; // a run's figures, not kept
        return job;
    }

    static QByteArray ReadAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static void WriteAll(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    // A list whose one job, named output, was at pass 1 of a batch writing into folder.
    static QByteArray
    CrashedList(const QString &output, const QString &folder, const QStringList &intermediates)
    {
        const QJsonObject job{
            {"source", "/v/a.mp4"}, {"output", output}, {"begin", 0}, {"end", 5}, {"stage", 1}};
        const QJsonObject running{{"job", 0}, {"outputDirectory", folder}, {"outputType", 0}};
        return QJsonDocument(
                   QJsonObject{{"format", "mivartel-jobs"},
                               {"version", 1},
                               {"jobs", QJsonArray{job}},
                               {"running", running},
                               {"intermediates", QJsonArray::fromStringList(intermediates)}})
            .toJson();
    }

private slots:
    void jobsComeBackAsSaved_data()
    {
        QTest::addColumn<QList<ConversionJob>>("jobs");
        QTest::newRow("empty list") << QList<ConversionJob>{};
        QTest::newRow("ranges and names")
            << QList<ConversionJob>{Job("/v/a.mp4", 1.5, 9.25),
                                    Job("/v/other/a.mp4", 0, 3), // listed as "a (2)"
                                    Job("/v/ünï cödé \"q\".rm", 2, 4)};
        QTest::newRow("outcomes") << QList<ConversionJob>{
            Job("/v/done.mp4", 0, 5, JobStage::ThirdPhase, 1),
            Job("/v/bad.mp4", 0, 5, JobStage::FirstPass, 0, "exited with status 1: no\nway"),
            Job("/v/stopped.mp4", 0, 5, JobStage::Canceled),
            Job("/v/vanished.mp4", 0, 5)};
    }
    void jobsComeBackAsSaved()
    {
        QFETCH(QList<ConversionJob>, jobs);
        SharedState state;
        for (const ConversionJob &job : jobs)
            state.jobs.append(job);
        const QString path = m_dir.filePath(QTest::currentDataTag());
        QVERIFY(JobListFile::Write(path, JobListFile::Encode(state)));
        const SavedJobs saved = JobListFile::Read(path);
        QVERIFY(saved.runningJobs.isEmpty());
        QCOMPARE(saved.jobs.size(), jobs.size());
        for (int i = 0; i < jobs.size(); ++i) {
            const ConversionJob expected = state.jobs.copyOut(i);
            const ConversionJob &job = saved.jobs.at(i);
            QCOMPARE(job.sourcePath, expected.sourcePath);
            QCOMPARE(job.outputName, expected.outputName);
            QCOMPARE(job.beginTime, expected.beginTime);
            QCOMPARE(job.endTime, expected.endTime);
            QCOMPARE(job.stage, expected.stage);
            QCOMPARE(job.finished, expected.finished);
            QCOMPARE(job.failed, expected.failed);
            QCOMPARE(job.failureReason, expected.failureReason);
            QCOMPARE(job.needsIntermediate, expected.needsIntermediate);
            QCOMPARE(job.sizeKB, 0);
        }
        // Written in one step: nothing beside the file.
        QCOMPARE(QDir(m_dir.path()).entryList({QString(QTest::currentDataTag()) + "*"}),
                 QStringList{QTest::currentDataTag()});
    }

    void damagedFileIsSetAside_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("not JSON") << QByteArray("\x89PNG\r\n\x1a\n garbage");
        QTest::newRow("cut short")
            << QByteArray("{\"format\":\"mivartel-jobs\",\"version\":1,\"jo");
        QTest::newRow("foreign") << QByteArray(R"({"jobs":[]})");
        QTest::newRow("newer version")
            << QByteArray(R"({"format":"mivartel-jobs","version":2,"jobs":[]})");
        QTest::newRow("job without source") << QByteArray(
            R"({"format":"mivartel-jobs","version":1,"jobs":[{"output":"a","begin":0,"end":1}]})");
        QTest::newRow("range as text") << QByteArray(
            R"({"format":"mivartel-jobs","version":1,"jobs":[{"source":"/a","output":"a","begin":"0","end":1}]})");
        QTest::newRow("running job out of range") << QByteArray(
            R"({"format":"mivartel-jobs","version":1,"jobs":[],"running":{"job":0,"outputDirectory":"/o/","outputType":0}})");
    }
    void damagedFileIsSetAside()
    {
        QFETCH(QByteArray, bytes);
        const QString path = m_dir.filePath("damaged.json");
        WriteAll(path, bytes);
        const SavedJobs saved = JobListFile::Read(path);
        QVERIFY(saved.jobs.isEmpty());
        QVERIFY(!QFile::exists(path));
        QCOMPARE(ReadAll(path + JobListFile::DamagedSuffix), bytes);
    }

    // Each list would make the clean-up at start, or a later batch, reach past its folders.
    // "$B" is a scratch folder holding out/ (the output folder) and program/.
    void listReachingOutsideItsFoldersIsSetAside_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("intermediates");
        QTest::addColumn<QString>("victim"); // a file in $B that the list points at
        const QString out = "$B/out/";
        const QStringList none;
        QTest::newRow("name climbs") << "../victim" << out << none << "victim_temp.3gp";
        QTest::newRow("name in a subfolder") << "sub/v" << out << none << "out/sub/v_temp.3gp";
        QTest::newRow("name is ..") << ".." << out << none << "out/.._temp.3gp";
        QTest::newRow("name with NUL") << QString("v.3gp") + QChar(0) << out << none << "out/v.3gp";
        QTest::newRow("relative folder") << "v"
                                         << "out/" << none << "out/v_temp.3gp";
        QTest::newRow("folder climbs") << "v"
                                       << "$B/out/../" << none << "v_temp.3gp";
        QTest::newRow("folder without its slash") << "v"
                                                  << "$B/out" << none << "outv_temp.3gp";
        QTest::newRow("intermediate elsewhere")
            << "a" << out << QStringList{"$B/out/a_12345.avi"} << "out/a_12345.avi";
        QTest::newRow("intermediate climbs")
            << "a" << out << QStringList{"$B/program/../a_12345.avi"} << "a_12345.avi";
        QTest::newRow("intermediate of another shape")
            << "a" << out << QStringList{"$B/program/notes.txt"} << "program/notes.txt";
    }
    void listReachingOutsideItsFoldersIsSetAside()
    {
        QFETCH(QString, output);
        QFETCH(QString, folder);
        QFETCH(QStringList, intermediates);
        QFETCH(QString, victim);
        const QString base = m_dir.filePath(QTest::currentDataTag());
        QVERIFY(QDir().mkpath(base + "/out/sub") && QDir().mkpath(base + "/program"));
        WriteAll(base + "/" + victim, "the user's");
        const QString path = base + "/jobs.json";
        const QByteArray bytes = CrashedList(
            output, folder.replace("$B", base), intermediates.replaceInStrings("$B", base));
        WriteAll(path, bytes);
        SharedState state;
        state.SetProgramDirectory(base + "/program");
        const QString before = QDir::currentPath();
        QDir::setCurrent(base); // where a relative folder would lead
        const bool restoredNothing = QueueSaver(state, path).Restore().jobs.isEmpty();
        QDir::setCurrent(before);
        QCOMPARE(ReadAll(base + "/" + victim), QByteArray("the user's"));
        QVERIFY(restoredNothing);
        QCOMPARE(ReadAll(path + JobListFile::DamagedSuffix), bytes);
    }

    // Names the clean-up would delete, taken by links, stay with what they point to.
    void cleanUpDeletesOnlyRegularFiles()
    {
        const QString base = m_dir.filePath("links");
        const QString intermediate = base + "/program/a_12345.avi";
        QVERIFY(QDir().mkpath(base + "/out") && QDir().mkpath(base + "/program"));
        WriteAll(base + "/target", "the user's");
        QVERIFY(QFile::link(base + "/target", base + "/out/a_temp.3gp"));
        QVERIFY(QFile::link(base + "/target", intermediate));
        WriteAll(base + "/jobs.json", CrashedList("a", base + "/out/", {intermediate}));
        SharedState state;
        state.SetProgramDirectory(base + "/program");
        QCOMPARE(QueueSaver(state, base + "/jobs.json").Restore().jobs.size(), 1);
        QVERIFY(QFileInfo(base + "/out/a_temp.3gp").isSymLink());
        QVERIFY(QFileInfo(intermediate).isSymLink());
        QCOMPARE(ReadAll(base + "/target"), QByteArray("the user's"));
    }

    // A RealMedia job comes to its first pass from the export; its start alone must reach the
    // file before its encoder writes anything, not a second later.
    void startedJobIsSavedAtOnce()
    {
        struct FinishedExport : IntermediateExporter
        {
            SharedState &state;
            QString path;
            QList<int> savedRunning{-1};
            FinishedExport(SharedState &state, const QString &path)
                : state(state)
                , path(path)
            {}
            void ExportIntermediate(int row) override
            {
                ConversionJob job = state.jobs.copyOut(row);
                job.stage = JobStage::FirstPass;
                state.jobs.replace(row, job);
                // Runs in the batch loop's first wait, once the job has started.
                QMetaObject::invokeMethod(
                    qApp,
                    [this] { savedRunning = JobListFile::Read(path).runningJobs; },
                    Qt::QueuedConnection);
            }
            void StopExport() override {}
        };
        EngineFixture f;
        const QString path = m_dir.filePath("started.json");
        QueueSaver saver(f.state, path);
        f.state.jobs.append(ConversionJob::ForSource("/v/clip.rm", 8));
        FinishedExport exporter(f.state, path);
        f.batch.SetIntermediateExporter(&exporter);
        f.Run();
        QCOMPARE(exporter.savedRunning, QList<int>{0});
    }

    void savesDebouncedAndMilestonesAtOnce()
    {
        const QString path = m_dir.filePath("live.json");
        SharedState state;
        state.outputDirectory = "/o/";
        {
            QueueSaver saver(state, path);
            QVERIFY(saver.saving());
            QueueSaver second(state, path);
            QVERIFY(!second.saving());
            for (int i = 0; i < 20; ++i)
                state.jobs.append(Job(QString("/v/%1.mp4").arg(i), 0, 5));
            QVERIFY(!QFile::exists(path));
            QTRY_COMPARE_WITH_TIMEOUT(JobListFile::Read(path).jobs.size(), 20, 2000);

            // During a batch a stage is on disk before its child runs.
            state.converting = 1;
            state.runningJobs = {3};
            ConversionJob job = state.jobs.copyOut(3);
            job.stage = JobStage::FirstPass;
            state.jobs.replace(3, job);
            QCOMPARE(JobListFile::Read(path).runningJobs, QList<int>{3});
            // Figures of the run wait for the next second.
            job.beginTime = 2;
            state.jobs.replace(3, job);
            QCOMPARE(JobListFile::Read(path).jobs[3].beginTime, 0.0);
            state.converting = 0;
            state.jobs.removeAt(0);
        }
        // And written at the end.
        const SavedJobs saved = JobListFile::Read(path);
        QCOMPARE(saved.jobs.size(), 19);
        QCOMPARE(saved.jobs[2].beginTime, 2.0);
        QVERIFY(saved.runningJobs.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestJobListFile)
#include "tst_joblistfile.moc"
