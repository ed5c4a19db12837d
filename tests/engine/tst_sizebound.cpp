#include "enginefixture.h"

#include "engine/commandtemplate.h"
#include "engine/outputfiles.h"
#include "engine/sizebound.h"
#include "testmedia.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

// A profile with MaxSize: the rate that fills the size, the ranges refused before a batch, and
// the second try when a file still comes out over.
class TestSizeBound : public QObject
{
    Q_OBJECT

private:
    static QStringList FirstCommand(const QString &rates)
    {
        return SplitCommandLine(QStringLiteral("ffmpeg -i in -b:v $VIDEO_BITRATEk ") + rates);
    }

    // A profile whose first command makes a file of $VIDEO_BITRATE thousand bytes, and whose
    // second adds extraK KiB to it: a stand-in encoder that overshoots by a known amount.
    static void WriteGrowingProfile(EngineFixture &f, const QByteArray &maxSize, int extraK)
    {
        const QByteArray file = "\"$OUTPUT_DIR$OUTPUT_FILE.3gp\"";
        f.WriteProfile("3GP_AMR_Profile.ini",
                       "[Info]\nDescription=d\n[Growing]\nTitle=Growing\n"
                       "Command1=truncate -s $VIDEO_BITRATE000 "
                           + file + "\nCommand2=truncate -s +" + QByteArray::number(extraK) + "K "
                           + file + "\nCommand3=true\nMaxSize=" + maxSize + "\n");
        f.state.outputType = 0;
        f.state.selectedProfile = 0;
    }

private slots:
    void parsesSizes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("bytes"); // 0: refused
        QTest::newRow("kilobytes") << "300K" << qint64(300000);
        QTest::newRow("as a title writes it") << "300 KB" << qint64(300000);
        QTest::newRow("megabytes with a fraction") << "1.5m" << qint64(1500000);
        QTest::newRow("bytes") << "4096" << qint64(4096);
        QTest::newRow("empty") << "" << qint64(0);
        QTest::newRow("negative") << "-5K" << qint64(0);
        QTest::newRow("zero") << "0K" << qint64(0);
        QTest::newRow("unknown unit") << "2G" << qint64(0);
        QTest::newRow("words") << "three hundred" << qint64(0);
    }
    void parsesSizes()
    {
        QFETCH(QString, text);
        QFETCH(qint64, bytes);
        const std::optional<SizeBound> bound = SizeBound::Parse(text, FirstCommand("-b:a 12.2k"));
        QCOMPARE(bound ? bound->maxBytes() : 0, bytes);
    }

    // Over lengths and sizes: the rate fills the size less the sound and the container, up to
    // the profile's cap; and a range is refused exactly when it is longer than the longest.
    void rateFillsTheSize_data()
    {
        QTest::addColumn<QString>("maxSize");
        QTest::addColumn<QString>("rates");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<int>("kbps");
        QTest::newRow("300 KB, half a minute") << "300K"
                                               << "-b:a 12.2k -maxrate 128k" << 30.0 << 61;
        QTest::newRow("300 KB, 5 s, held at the cap") << "300K"
                                                      << "-b:a 12.2k -maxrate 128k" << 5.0 << 112;
        QTest::newRow("1 MB, a minute") << "1M"
                                        << "-b:a 12.2k -maxrate 384k" << 60.0 << 112;
        QTest::newRow("1.5 MB, no sound, no cap") << "1.5M"
                                                  << "" << 10.0 << 1147;
        QTest::newRow("300 KB, too long") << "300K"
                                          << "-b:a 12.2000k" << 100.0 << 7;
        QTest::newRow("AAC at 24000 bit/s") << "300K"
                                            << "-b:a 24000" << 60.0 << 11;
    }
    void rateFillsTheSize()
    {
        QFETCH(QString, maxSize);
        QFETCH(QString, rates);
        QFETCH(double, seconds);
        QFETCH(int, kbps);
        const std::optional<SizeBound> bound = SizeBound::Parse(maxSize, FirstCommand(rates));
        QVERIFY(bound);
        QCOMPARE(bound->VideoKbps(seconds), kbps);
        const int longest = bound->LongestRange();
        QCOMPARE(bound->VideoKbps(seconds) >= SizeBound::LowestVideoKbps, seconds <= longest);
        QVERIFY(bound->VideoKbps(longest) >= SizeBound::LowestVideoKbps);
        QVERIFY(bound->VideoKbps(longest + 1) < SizeBound::LowestVideoKbps);
        // What the file should weigh is under the size, and, below the cap, close to it.
        const qint64 expected = bound->ExpectedBytes(seconds);
        QVERIFY2(expected <= bound->maxBytes(), qPrintable(QString::number(expected)));
        if (kbps >= SizeBound::LowestVideoKbps && !rates.contains("maxrate"))
            QVERIFY2(expected >= bound->maxBytes() * 0.9, qPrintable(QString::number(expected)));
    }

    // Start refuses the jobs whose range cannot fit even at the lowest rate, by name, and says
    // how long a range can be.
    void tooLongRangesAreNamed()
    {
        EngineFixture f;
        WriteGrowingProfile(f, "300K", 0);
        const QStringList names{"short.mp4", "long.mp4", "whole film.mkv"};
        const QList<double> ends{20.0, 200.0, 5400.0};
        for (int k = 0; k < names.size(); ++k)
            f.state.jobs.append(ConversionJob::ForSource("/clips/" + names[k], ends[k]));
        const QString problem = f.pipeline.SizeProblem({0, 1, 2});
        QVERIFY2(problem.startsWith("long.mp4, whole film.mkv are too long to fit in 300 KB"),
                 qPrintable(problem));
        const QString longest = ClockTime(f.pipeline.SelectedSizeBound()->LongestRange());
        QVERIFY2(problem.endsWith("the longest range that fits is " + longest),
                 qPrintable(problem));
        QCOMPARE(f.pipeline.SizeProblem({0}), QString());

        // A profile without a size takes any range.
        f.WriteProfile("3GP_AMR_Profile.ini",
                       "[Info]\nDescription=d\n[Plain]\nTitle=Plain\nCommand1=true\n"
                       "Command2=true\nCommand3=true\n");
        QCOMPARE(f.pipeline.SizeProblem({0, 1, 2}), QString());
    }

    // A file over the size is made once more at a lower rate; over again, the job fails and
    // says by how much. Never a third time.
    void overshootIsMadeAgainOnce_data()
    {
        QTest::addColumn<int>("extraK");
        QTest::addColumn<bool>("finished");
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<int>("tries");
        // 10 s in 100 KB: 72 kbit/s, so 72,000 bytes before the second command adds its part.
        QTest::newRow("fits at once") << 0 << true << qint64(72000) << 1;
        QTest::newRow("over, then fits") << 30 << true << qint64(67000 + 30 * 1024) << 2;
        QTest::newRow("over twice") << 200 << false << qint64(0) << 2;
    }
    void overshootIsMadeAgainOnce()
    {
        QFETCH(int, extraK);
        QFETCH(bool, finished);
        QFETCH(qint64, bytes);
        QFETCH(int, tries);
        if (QStandardPaths::findExecutable("truncate").isEmpty())
            QSKIP("needs truncate from coreutils");
        EngineFixture f;
        WriteGrowingProfile(f, "100K", extraK);
        f.state.jobs.append(ConversionJob::ForSource("/clips/a.mp4", 10.0));
        f.Run();
        const ConversionJob job = f.state.jobs.copyOut(0);
        const QString log = f.LogText();
        QCOMPARE(log.count("made again at"), tries - 1);
        QCOMPARE(job.finished == 1, finished);
        const QString output = f.state.outputDirectory + "a.3gp";
        if (finished) {
            QCOMPARE(QFileInfo(output).size(), bytes);
            QCOMPARE(job.outputBytes, bytes);
            return;
        }
        QVERIFY2(job.failureReason.endsWith("came out at 221 KB, 121 KB over the 100 KB the "
                                            "profile allows"),
                 qPrintable(job.failureReason));
        QVERIFY(!QFileInfo::exists(output));
    }

    // Most of a minute of whole-frame motion, the hardest range for a small size: H.263 at
    // 176x144 and 15 fps cannot go low enough for it, so the 300 KB profiles step the picture
    // down. Every size-bound profile fits it in two tries at most, and keeps every frame.
    void longMotionFitsInTwoTries_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("profile");
        for (const auto &[type, row, title] : EngineFixture::ShippedSizeBoundProfiles())
            QTest::addRow("%d: %s", type, qPrintable(title)) << type << row;
    }
    void longMotionFitsInTwoTries()
    {
        QFETCH(int, type);
        QFETCH(int, profile);
        const double seconds = 57;
        const QString source = m_media.filePath("motion.mp4");
        QString log;
        if (!QFileInfo::exists(source)) {
            QVERIFY2(TestMedia::MakeLavfiClip(
                         source,
                         "testsrc2=size=640x480:rate=25,"
                         "scroll=h=0.013:v=0.007",
                         "anoisesrc=color=pink:sample_rate=44100",
                         {"-t", "57", "-c:v", "libx264", "-preset", "ultrafast", "-c:a", "aac"},
                         &log),
                     qPrintable(log));
        }
        EngineFixture f;
        f.UseShippedProfile(type, profile);
        f.state.jobs.append(ConversionJob::ForSource(source, seconds));
        f.Run();
        const ConversionJob job = f.state.jobs.copyOut(0);
        QVERIFY2(job.finished == 1, qPrintable(job.failureReason + '\n' + f.LogText()));
        QVERIFY(f.LogText().count("made again at") <= 1);
        QVERIFY(job.outputBytes <= f.pipeline.SelectedSizeBound()->maxBytes());
        const QString output = FinalFile(f.state.outputDirectory, job.outputName, type);
        const int frames
            = TestMedia::ProbeValues(output, "stream=codec_type,nb_frames", "nb_frames")
                  .value(0)
                  .toInt();
        QVERIFY2(std::abs(frames - std::lround(seconds * 15000 / 1001)) <= 1,
                 qPrintable(QString::number(frames)));
    }

private:
    QTemporaryDir m_media;
};

QTEST_GUILESS_MAIN(TestSizeBound)
#include "tst_sizebound.moc"
