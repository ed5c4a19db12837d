#include "engine/joblistfile.h"
#include "engine/queuesaver.h"
#include "engine/sharedstate.h"

#include <QDir>
#include <QFile>
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
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
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
