#include "enginefixture.h"

#include "engine/tickcount.h"
#include "testmedia.h"

#include <QSet>
#include <QTest>
#include <QTimer>

// Real ffmpeg with the shipped profiles, on clips made here, checked with ffprobe.
class TestEndToEnd : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_media;
    QString m_clip;     // 12 s, 320x240, with sound
    QString m_longClip; // 60 s, for stopping in the middle

    static QString Value(const QString &path, const QString &entries, const QString &key)
    {
        return TestMedia::ProbeValues(path, entries, key).value(0);
    }

    // The moov box stands before the media data, so a phone can start playing at once.
    static bool IndexFirst(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QByteArray head = file.read(1 << 20);
        const qsizetype moov = head.indexOf("moov");
        const qsizetype mdat = head.indexOf("mdat");
        return moov >= 0 && (mdat < 0 || moov < mdat);
    }

    // Copies the clip under the given name and adds it as a job over [begin, end].
    static void
    AddJob(EngineFixture &f, const QString &source, const QString &name, double begin, double end)
    {
        const QString path = QFileInfo(source).dir().filePath(name);
        QFile::remove(path);
        QVERIFY(QFile::copy(source, path));
        ConversionJob job = ConversionJob::ForSource(path, 12);
        job.beginTime = begin;
        job.endTime = end;
        f.state.jobs.append(job);
    }

    struct Expected
    {
        QString brand;
        QString video;
        QString audio;
        QString size;
    };

    static void CheckResult(const QString &path, const Expected &expected, double length)
    {
        QVERIFY2(QFile::exists(path), qPrintable(path));
        QCOMPARE(Value(path, "format_tags=major_brand", "TAG:major_brand"), expected.brand);
        const QStringList codecs = TestMedia::ProbeValues(path, "stream=codec_name", "codec_name");
        QCOMPARE(codecs, (QStringList{expected.video, expected.audio}));
        const QString width = Value(path, "stream=width", "width");
        const QString height = Value(path, "stream=height", "height");
        QCOMPARE(width + "x" + height, expected.size);
        const double duration = Value(path, "format=duration", "duration").toDouble();
        QVERIFY2(qAbs(duration - length) <= 0.5, qPrintable(QString::number(duration)));
        QVERIFY(IndexFirst(path));
    }

private slots:
    void initTestCase()
    {
        m_clip = m_media.filePath("clip.mp4");
        m_longClip = m_media.filePath("long.mp4");
        QString log;
        QVERIFY2(TestMedia::MakeClip(m_clip, 12, {"-c:v", "mpeg4", "-c:a", "aac"}, &log),
                 qPrintable(log));
        QVERIFY2(TestMedia::MakeClip(m_longClip,
                                     60,
                                     {"-s", "640x480", "-c:v", "mpeg4", "-q:v", "2", "-c:a", "aac"},
                                     &log),
                 qPrintable(log));
    }

    // Every awkward file name reaches ffmpeg intact, as one argument, never through a shell.
    void amrProfileWithAwkwardNames()
    {
        EngineFixture f;
        f.UseShippedProfile(0, 1); // 176x144 H.263
        const QStringList names{"with blanks.mp4",
                                "it's \"quoted\".mp4",
                                "cost $LENGTH and $OUTPUT_DIR.mp4",
                                "Grüße ñ 映画.mp4",
                                "-leading dash.mp4",
                                "semi;colon & amp | pipe.mp4"};
        for (const QString &name : names)
            AddJob(f, m_clip, name, 2, 7);
        f.Run();
        QStringList expectedFiles;
        for (int i = 0; i < names.size(); ++i) {
            const ConversionJob job = f.state.jobs.copyOut(i);
            QVERIFY2(job.finished == 1, qPrintable(names.at(i)));
            expectedFiles.append(job.outputName + ".3gp");
            CheckResult(f.state.outputDirectory + job.outputName + ".3gp",
                        {"3gp4", "h263", "amr_nb", "176x144"},
                        5);
        }
        expectedFiles.sort();
        QCOMPARE(f.OutputFiles(), expectedFiles);
        const QString amr = f.state.outputDirectory + f.state.jobs.copyOut(0).outputName + ".3gp";
        QCOMPARE(Value(amr, "stream=sample_rate", "sample_rate"), QString("8000"));
        QCOMPARE(Value(amr, "stream=channels", "channels"), QString("1"));
        QCOMPARE(f.LogText(), QString());
    }

    void aacAnd3g2Profiles_data()
    {
        QTest::addColumn<int>("outputType");
        QTest::addColumn<int>("profile");
        QTest::addColumn<QString>("source");
        QTest::addColumn<double>("begin");
        QTest::addColumn<double>("end");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("brand");
        QTest::addColumn<QString>("video");
        QTest::addColumn<QString>("size");
        QTest::newRow("3GP AAC, 320x240 MPEG-4")
            << 1 << 2 << "aac source.mp4" << 0.0 << 9.0 << "aac source.3gp"
            << "3gp4"
            << "mpeg4"
            << "320x240";
        QTest::newRow("3G2 AAC, 176x144 MPEG-4")
            << 2 << 1 << "for cdma.mov" << 3.0 << 11.0 << "for cdma.3g2"
            << "3g2a"
            << "mpeg4"
            << "176x144";
        QTest::newRow("3G2 AAC, 128x96 H.263") << 2 << 3 << "small.avi" << 1.0 << 4.0 << "small.3g2"
                                               << "3g2a"
                                               << "h263"
                                               << "128x96";
    }
    void aacAnd3g2Profiles()
    {
        QFETCH(int, outputType);
        QFETCH(int, profile);
        QFETCH(QString, source);
        QFETCH(double, begin);
        QFETCH(double, end);
        QFETCH(QString, result);
        QFETCH(QString, brand);
        QFETCH(QString, video);
        QFETCH(QString, size);
        EngineFixture f;
        f.UseShippedProfile(outputType, profile);
        AddJob(f, m_clip, source, begin, end);
        f.Run();
        QCOMPARE(f.state.jobs.copyOut(0).finished, 1);
        CheckResult(f.state.outputDirectory + result, {brand, video, "aac", size}, end - begin);
        QCOMPARE(f.OutputFiles(), QStringList{result});
    }

    // One source added twice to cut two ranges: two files, neither written over.
    void twoRangesOfOneSource()
    {
        EngineFixture f;
        f.UseShippedProfile(0, 1);
        AddJob(f, m_clip, "twice.mp4", 0, 3);
        AddJob(f, m_clip, "twice.mp4", 5, 9);
        f.Run();
        QCOMPARE(f.OutputFiles(), (QStringList{"twice (2).3gp", "twice.3gp"}));
        CheckResult(
            f.state.outputDirectory + "twice.3gp", {"3gp4", "h263", "amr_nb", "176x144"}, 3);
        CheckResult(
            f.state.outputDirectory + "twice (2).3gp", {"3gp4", "h263", "amr_nb", "176x144"}, 4);
    }

    // The source goes between Add and Start: that job fails with ffmpeg's reason, the next one
    // converts, and the result of an earlier run under the failed job's name is left alone.
    void sourceDeletedAfterItWasAdded()
    {
        EngineFixture f;
        f.UseShippedProfile(0, 0);
        AddJob(f, m_clip, "gone.mp4", 0, 3);
        AddJob(f, m_clip, "kept.mp4", 0, 3);
        QVERIFY(QFile::remove(f.state.jobs.copyOut(0).sourcePath));
        QFile earlier(f.state.outputDirectory + "gone.3gp");
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("an earlier run");
        earlier.close();
        f.Run();
        const ConversionJob gone = f.state.jobs.copyOut(0);
        QCOMPARE(gone.failed, 1);
        QVERIFY2(gone.failureReason.startsWith("command 1 (ffmpeg) exited with status 1: ")
                     && gone.failureReason.contains("No such file or directory"),
                 qPrintable(gone.failureReason));
        QVERIFY(f.LogText().contains("job 1 (" + gone.sourcePath + ") failed: command 1"));
        QCOMPARE(f.state.jobs.copyOut(1).finished, 1);
        QCOMPARE(f.OutputFiles(), (QStringList{"gone.3gp", "kept.3gp"}));
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("an earlier run"));
    }

    // Three jobs at once: one source twice (same name but for " (2)", so their temporary files
    // differ too) beside a job whose source is gone. The good ones move side by
    // side and convert; the bad one fails alone.
    void jobsAtOnceBesideAFailingJob()
    {
        EngineFixture f;
        f.UseShippedProfile(0, 1);
        AddJob(f, m_longClip, "twice.mp4", 0, 60);
        AddJob(f, m_longClip, "gone.mp4", 0, 3);
        AddJob(f, m_longClip, "twice.mp4", 0, 60);
        QVERIFY(QFile::remove(f.state.jobs.copyOut(1).sourcePath));
        f.batch.SetJobsAtOnce(3);
        QSet<int> movedTogether;
        f.onRepaint = [&](int, int) {
            QList<int> moving;
            for (int row = 0; row < f.state.jobs.count(); ++row) {
                const ConversionJob job = f.state.jobs.copyOut(row);
                if (job.stage == JobStage::FirstPass && job.encodedTime > 0 && !job.finished)
                    moving.append(row);
            }
            if (moving.size() == 2)
                movedTogether.unite(QSet<int>(moving.begin(), moving.end()));
        };
        f.Run();
        QCOMPARE(f.state.jobs.copyOut(1).failed, 1);
        QCOMPARE(movedTogether, (QSet<int>{0, 2}));
        QCOMPARE(f.OutputFiles(), (QStringList{"twice (2).3gp", "twice.3gp"}));
        CheckResult(
            f.state.outputDirectory + "twice.3gp", {"3gp4", "h263", "amr_nb", "176x144"}, 60);
        CheckResult(
            f.state.outputDirectory + "twice (2).3gp", {"3gp4", "h263", "amr_nb", "176x144"}, 60);
        QCOMPARE(TestMedia::EncoderStates(f.state.outputDirectory), QString());
    }

    void stopInPassOneOrTwoLeavesNoPartialFile_data()
    {
        QTest::addColumn<int>("stopStage");
        QTest::newRow("pass 1") << 1;
        QTest::newRow("pass 2") << 2;
    }
    void stopInPassOneOrTwoLeavesNoPartialFile()
    {
        QFETCH(int, stopStage);
        EngineFixture f;
        f.UseShippedProfile(0, 3); // 352x288, the slowest
        AddJob(f, m_longClip, "long one.mp4", 0, 60);
        AddJob(f, m_clip, "never started.mp4", 0, 5);
        bool stopped = false;
        f.onRepaint = [&](int row, int) {
            const ConversionJob job = f.state.jobs.copyOut(row);
            const bool due
                = stopStage == 1 ? job.stage == 1 && job.encodedTime > 1 : job.stage == 2;
            if (due && !stopped) {
                stopped = true;
                // From the event loop, as a click on Stop arrives.
                QTimer::singleShot(0, [&] { f.batch.StopConverting(); });
            }
        };
        f.Run();
        QVERIFY(stopped);
        QCOMPARE(f.state.jobs.copyOut(0).stage, 9);
        QCOMPARE(f.state.jobs.copyOut(0).finished, 0);
        QCOMPARE(f.state.jobs.copyOut(1).stage, 0);
        QCOMPARE(f.OutputFiles(), QStringList{});
    }

    // Paused in pass 1 for five seconds: the encoder is stopped and writes nothing meanwhile;
    // resumed, it makes a whole file, and stopped while paused, it leaves none.
    void pauseInPassOne_data()
    {
        QTest::addColumn<bool>("resume");
        QTest::newRow("resumed") << true;
        QTest::newRow("stopped while paused") << false;
    }
    void pauseInPassOne()
    {
        QFETCH(bool, resume);
        EngineFixture f;
        f.CopyShippedProfiles();
        f.state.outputType = 0;
        f.state.selectedProfile = 3; // 352x288, the slowest
        AddJob(f, m_longClip, "paused.mp4", 0, 60);
        const QString temp = f.state.outputDirectory + "paused_temp.3gp";
        bool paused = false;
        QString stateWhilePaused;
        qint64 sizeAtPause = -1, sizeAfterPause = -1;
        f.onRepaint = [&](int row, int) {
            const ConversionJob job = f.state.jobs.copyOut(row);
            if (paused || job.stage != 1 || job.encodedTime < 1)
                return;
            paused = true;
            QTimer::singleShot(0, [&] {
                f.batch.Pause();
                QTimer::singleShot(200, [&] {
                    stateWhilePaused = TestMedia::EncoderStates(f.outputDir.path());
                    if (f.batch.estimate().SecondsLeft(TickCount()))
                        stateWhilePaused += " with a time left";
                    sizeAtPause = QFileInfo(temp).size();
                });
                QTimer::singleShot(5000, [&] {
                    sizeAfterPause = QFileInfo(temp).size();
                    if (resume)
                        f.batch.Resume();
                    else
                        f.batch.StopConverting();
                });
            });
        };
        f.Run();
        QVERIFY(paused);
        QCOMPARE(stateWhilePaused, QString("T"));
        QVERIFY(sizeAtPause >= 0);
        QCOMPARE(sizeAfterPause, sizeAtPause);
        QCOMPARE(f.state.paused, quint8(0));
        if (resume) {
            QCOMPARE(f.state.jobs.copyOut(0).finished, 1);
            CheckResult(
                f.state.outputDirectory + "paused.3gp", {"3gp4", "h263", "amr_nb", "352x288"}, 60);
        } else {
            QCOMPARE(f.state.jobs.copyOut(0).stage, 9);
            QCOMPARE(f.OutputFiles(), QStringList{});
        }
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
