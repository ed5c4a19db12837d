#include "engine/cellrepainter.h"
#include "engine/jobcelltext.h"
#include "engine/joblist.h"

#include <QTest>

// The job record, the job list and what the list shows of a job.
class TestJobRecord : public QObject
{
    Q_OBJECT

private slots:
    void namesDerivedFromTheSource_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("outputName");
        QTest::addColumn<int>("needsIntermediate");
        QTest::newRow("plain") << "/v/holiday.avi"
                               << "holiday" << 0;
        QTest::newRow("two dots") << "/v/a.b.mp4"
                                  << "a.b" << 0;
        QTest::newRow("no extension") << "/v/clip"
                                      << "clip" << 0;
        QTest::newRow("dot only in the folder") << "/v.d/clip"
                                                << "clip" << 0;
        QTest::newRow("hidden file") << "/v/.hidden"
                                     << ".hidden" << 0;
        QTest::newRow("RealMedia") << "/v/movie.rm"
                                   << "movie" << 1;
        QTest::newRow("RealMedia VBR") << "/v/movie.rmvb"
                                       << "movie" << 1;
        QTest::newRow("upper case RM") << "/v/movie.RM"
                                       << "movie" << 0;
        QTest::newRow("rm after a dot in the folder") << "/v/x.rmdir/movie"
                                                      << "movie" << 1;
    }
    void namesDerivedFromTheSource()
    {
        QFETCH(QString, source);
        QFETCH(QString, outputName);
        QFETCH(int, needsIntermediate);
        const ConversionJob job = ConversionJob::ForSource(source, 42.5);
        QCOMPARE(job.outputName, outputName);
        QCOMPARE(job.needsIntermediate, needsIntermediate);
        QCOMPARE(job.beginTime, 0.0);
        QCOMPARE(job.endTime, 42.5);
    }

    void listKeepsOrderAndResetsTheRowsOfABatch()
    {
        JobList list;
        for (const char *name : {"/a.avi", "/b.avi", "/c.avi"})
            list.append(ConversionJob::ForSource(name, 10));
        ConversionJob job = list.copyOut(1);
        job.finished = 1;
        job.failed = 1;
        job.sizeKB = 5;
        job.framesPerSecond = 3;
        job.encodedTime = 4;
        job.stage = 3;
        job.exportPercent = 50;
        job.intermediatePath = "/p/b_10000.avi";
        list.replace(1, job);
        list.replace(2, job);
        list.resetProgress({1});
        job = list.copyOut(1);
        QCOMPARE(job.finished, 0);
        QCOMPARE(job.failed, 0);
        QCOMPARE(job.sizeKB, 0);
        QCOMPARE(job.framesPerSecond, 0.0);
        QCOMPARE(job.encodedTime, 0.0);
        QCOMPARE(job.stage, int(JobStage::Exporting));
        QCOMPARE(job.exportPercent, 0.0);
        QCOMPARE(job.intermediatePath, QString("/p/b_10000.avi"));
        QCOMPARE(job.sourcePath, QString("/b.avi"));
        QCOMPARE(job.endTime, 10.0);
        // Only the rows of the batch.
        QCOMPARE(list.copyOut(2).stage, 3);
        QCOMPARE(list.copyOut(2).finished, 1);

        list.removeAt(0);
        QCOMPARE(list.copyOut(0).sourcePath, QString("/b.avi"));
        list.removeAll();
        QCOMPARE(list.count(), 0);
        QVERIFY(!list.isValidIndex(0));
    }

    void appendGivesDistinctOutputNames_data()
    {
        QTest::addColumn<QStringList>("sources");
        QTest::addColumn<QStringList>("outputNames");
        QTest::newRow("same name, two folders")
            << QStringList{"/a/clip.avi", "/b/clip.avi"} << QStringList{"clip", "clip (2)"};
        QTest::newRow("same source three times")
            << QStringList{"/a/clip.avi", "/a/clip.avi", "/a/clip.avi"}
            << QStringList{"clip", "clip (2)", "clip (3)"};
        QTest::newRow("a name that already looks numbered")
            << QStringList{"/a/clip (2).avi", "/a/clip.avi", "/b/clip.mp4"}
            << QStringList{"clip (2)", "clip", "clip (3)"};
        // One file on a phone's FAT or exFAT card.
        QTest::newRow("names differing in case are one name")
            << QStringList{"/a/Clip.avi", "/a/clip.avi"} << QStringList{"Clip", "clip (2)"};
        QTest::newRow("percent signs kept")
            << QStringList{"/a/%1%2.avi", "/b/%1%2.avi"} << QStringList{"%1%2", "%1%2 (2)"};
    }
    void appendGivesDistinctOutputNames()
    {
        QFETCH(QStringList, sources);
        JobList list;
        for (const QString &source : sources)
            list.append(ConversionJob::ForSource(source, 10));
        QStringList names;
        for (int i = 0; i < list.count(); ++i)
            names.append(list.copyOut(i).outputName);
        QTEST(names, "outputNames");
    }

    void progressCell_data()
    {
        QTest::addColumn<int>("finished");
        QTest::addColumn<int>("needsIntermediate");
        QTest::addColumn<int>("stage");
        QTest::addColumn<double>("encodedTime");
        QTest::addColumn<int>("sizeKB");
        QTest::addColumn<double>("endTime");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("progressMax");
        QTest::addColumn<int>("progressPos");
        QTest::newRow("finished wins")
            << 1 << 1 << 9 << 0.0 << 0 << 10.0 << " Finished " << 100 << 100;
        QTest::newRow("buffering")
            << 0 << 1 << 0 << 0.0 << 0 << 10.0 << "Buffering  37.50%" << 100 << 37;
        QTest::newRow("first pass") << 0 << 0 << 1 << 3725.5 << 2048 << 7451.0
                                    << "01:02:05    2.00MB    12.50Frames/s      %50 " << 100 << 50;
        QTest::newRow("99 shows as 100")
            << 0 << 0 << 1 << 9.85 << 1 << 10.0 << "00:00:09    0.00MB    12.50Frames/s      %100 "
            << 100 << 100;
        QTest::newRow("empty range is 0 percent")
            << 0 << 0 << 1 << 5.0 << 1 << 0.0 << "00:00:05    0.00MB    12.50Frames/s      %0 "
            << 100 << 0;
        // Found by fuzzing: a time far past the range must not overflow the percent.
        QTest::newRow("time far past the range")
            << 0 << 0 << 1 << 8.02204e+15 << 1 << 10.0
            << "277777777777:46:40    0.00MB    12.50Frames/s      %100 " << 100 << 100;
        QTest::newRow("first pass before figures")
            << 0 << 0 << 1 << 0.0 << 10 << 10.0 << "" << -1 << 0;
        QTest::newRow("exporting") << 0 << 0 << 2 << 5.0 << 10 << 10.0 << "Exporting" << -1 << 0;
        QTest::newRow("changing") << 0 << 0 << 3 << 5.0 << 10 << 10.0 << "Changeing" << -1 << 0;
        QTest::newRow("canceled") << 0 << 1 << 9 << 5.0 << 10 << 10.0 << "Canceled" << -1 << 0;
        QTest::newRow("not started") << 0 << 0 << 0 << 0.0 << 0 << 10.0 << "" << -1 << 0;
        QTest::newRow("odd intermediate flag") << 0 << 2 << 0 << 0.0 << 0 << 10.0 << "" << -1 << 0;
    }
    void progressCell()
    {
        QFETCH(int, finished);
        QFETCH(int, needsIntermediate);
        QFETCH(int, stage);
        QFETCH(double, encodedTime);
        QFETCH(int, sizeKB);
        QFETCH(double, endTime);
        ConversionJob job = ConversionJob::ForSource("/v/a.avi", endTime);
        job.finished = finished;
        job.needsIntermediate = needsIntermediate;
        job.stage = stage;
        job.encodedTime = encodedTime;
        job.sizeKB = sizeKB;
        job.framesPerSecond = 12.5;
        job.exportPercent = 37.5;
        const ProgressCell cell = ProgressCellOf(job);
        QTEST(cell.text, "text");
        QTEST(cell.progressMax, "progressMax");
        QTEST(cell.progressPos, "progressPos");
    }

    void otherColumns()
    {
        ConversionJob job = ConversionJob::ForSource("/home/me/My Clips/a & b.avi", 3725.9);
        job.beginTime = 61.99;
        QCOMPARE(CellTextOf(job, JobColumn::Source, 0), QString("a & b.avi"));
        QCOMPARE(CellTextOf(job, JobColumn::BeginTime, 0), QString("00:01:01"));
        QCOMPARE(CellTextOf(job, JobColumn::EndTime, 0), QString("01:02:05"));
        QCOMPARE(CellTextOf(job, JobColumn::Output, 0), QString("a & b.3gp"));
        QCOMPARE(CellTextOf(job, JobColumn::Output, 1), QString("a & b.3gp"));
        QCOMPARE(CellTextOf(job, JobColumn::Output, 2), QString("a & b.3g2"));
        QCOMPARE(CellTextOf(job, JobColumn::Output, -1), QString());
    }
};

QTEST_GUILESS_MAIN(TestJobRecord)
#include "tst_jobrecord.moc"
