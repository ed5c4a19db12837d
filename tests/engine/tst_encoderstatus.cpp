#include "engine/cellrepainter.h"
#include "engine/encoderstatus.h"
#include "engine/jobprogress.h"
#include "engine/jobslot.h"
#include "engine/sharedstate.h"

#include <QTest>

#include <clocale>

namespace {

struct RecordingRepainter : CellRepainter
{
    QList<QList<int>> calls;
    void RepaintCells(int firstRow, int lastRow, int column) override
    {
        calls.append({firstRow, lastRow, column});
    }
};

// Recorded from ffmpeg 5.1 converting a testsrc clip.
const char Ffmpeg51Status[] = "frame=  245 fps=0.0 q=3.2 size=     580kB time=00:00:09.80 "
                              "bitrate= 484.8kbits/s speed=19.6x    \r";

} // namespace

class TestEncoderStatus : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("chunk");
        QTest::addColumn<double>("frames");
        QTest::addColumn<int>("sizeKB");
        QTest::addColumn<double>("seconds");
        // -1 stands for "not found".
        QTest::newRow("ffmpeg 5.1 clock time") << QByteArray(Ffmpeg51Status) << 245.0 << 580 << 9.8;
        QTest::newRow("seconds form")
            << QByteArray("frame=  245 q=0.0 size=     580kB time=9.80 bitr") << 245.0 << 580
            << 9.8;
        QTest::newRow("seconds cut to five characters")
            << QByteArray("time=123.45 bitrate") << -1.0 << -1 << 123.4;
        QTest::newRow("final line with Lsize")
            << QByteArray("frame=  300 fps=0.0 q=-1.0 Lsize=    1024kB time=01:02:03.50 bitrate=")
            << 300.0 << 1024 << 3723.5;
        QTest::newRow("frame too close to the end")
            << QByteArray("xxxxx frame=  245") << -1.0 << -1 << -1.0;
        QTest::newRow("size too close to the end")
            << QByteArray("size=   580") << -1.0 << -1 << -1.0;
        QTest::newRow("two lines: the first counts")
            << QByteArray("frame=   10 size=      20kB time=00:00:01.00 \r"
                          "frame=   99 size=      88kB time=00:00:09.00 \r")
            << 10.0 << 20 << 1.0;
        QTest::newRow("no token") << QByteArray("Press [q] to stop, [?] for help\n") << -1.0 << -1
                                  << -1.0;
        QTest::newRow("audio only, N/A size")
            << QByteArray("size=N/A time=00:00:02.50 bitrate=N/A") << -1.0 << 0 << 2.5;
    }
    void parse()
    {
        QFETCH(QByteArray, chunk);
        QFETCH(double, frames);
        QFETCH(int, sizeKB);
        QFETCH(double, seconds);
        const EncoderStatus status
            = EncoderStatus::Parse(std::string_view(chunk.data(), chunk.size()));
        QCOMPARE(status.frames.value_or(-1.0), frames);
        QCOMPARE(status.sizeKB.value_or(-1), sizeKB);
        QCOMPARE(status.seconds.value_or(-1.0), seconds);
    }

    void speed_data()
    {
        QTest::addColumn<QByteArray>("chunk");
        QTest::addColumn<double>("speed");
        QTest::newRow("ffmpeg 5.1") << QByteArray(Ffmpeg51Status) << 19.6;
        QTest::newRow("slower than real time")
            << QByteArray("time=00:00:01.00 speed=0.512x\r") << 0.512;
        QTest::newRow("not known yet")
            << QByteArray("time=N/A bitrate=N/A speed=N/A    \r") << -1.0;
        QTest::newRow("cut before the x") << QByteArray("time=00:00:01.00 speed=19.") << -1.0;
    }
    void speed()
    {
        QFETCH(QByteArray, chunk);
        QFETCH(double, speed);
        const EncoderStatus status
            = EncoderStatus::Parse(std::string_view(chunk.data(), chunk.size()));
        QCOMPARE(status.speed.value_or(-1.0), speed);
    }

    // atof would read "9,80" under a German locale; the parser must not care.
    void parsingIgnoresTheCLocale()
    {
        if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
            std::setlocale(LC_NUMERIC, "C");
        const EncoderStatus status = EncoderStatus::Parse(Ffmpeg51Status);
        std::setlocale(LC_NUMERIC, "C");
        QCOMPARE(status.seconds.value_or(-1), 9.8);
    }

    void progressGoesIntoTheCurrentJob()
    {
        SharedState state;
        RecordingRepainter repainter;
        state.repainter = &repainter;
        state.jobs.append(ConversionJob::ForSource("/a.avi", 20));
        state.jobs.append(ConversionJob::ForSource("/b.avi", 20));
        JobSlot slot;
        slot.jobIndex = 1;
        slot.jobStartTick = 1000;
        JobProgress progress(state, slot);

        progress.ParseEncoderOutput(Ffmpeg51Status, 1000 + 9800, std::nullopt);
        ConversionJob job = state.jobs.copyOut(1);
        QCOMPARE(job.framesPerSecond, 245 * 1000.0 / 9800);
        QCOMPARE(job.sizeKB, 580);
        QCOMPARE(job.encodedTime, 9.8);
        QCOMPARE(state.jobs.copyOut(0).sizeKB, 0);

        // A chunk without figures keeps them, and still repaints the cell.
        progress.ParseEncoderOutput("[mp4 @ 0x1] warning\n", 20000, std::nullopt);
        QCOMPARE(state.jobs.copyOut(1).sizeKB, 580);
        QCOMPARE(repainter.calls.size(), 2);
        QCOMPARE(repainter.calls.last(), (QList<int>{1, 1, JobColumn::Progress}));

        progress.SetJobStage(2);
        QCOMPARE(state.jobs.copyOut(1).stage, 2);
        QCOMPARE(repainter.calls.size(), 3);
    }

    void speedAcrossTheTickWrapAndInTheFirstMillisecond()
    {
        SharedState state;
        state.jobs.append(ConversionJob::ForSource("/a.avi", 20));
        JobSlot slot;
        JobProgress progress(state, slot);

        slot.jobStartTick = 0xFFFFFF00u; // 256 ms before the wrap
        progress.ParseEncoderOutput(Ffmpeg51Status, 0x000001F4u, std::nullopt);
        const double speed = state.jobs.copyOut(0).framesPerSecond;
        QCOMPARE(speed, 245 * 1000.0 / (256 + 500));

        slot.jobStartTick = 5000;
        progress.ParseEncoderOutput(Ffmpeg51Status, 5000, std::nullopt);
        QCOMPARE(state.jobs.copyOut(0).framesPerSecond, speed);
    }
};

QTEST_GUILESS_MAIN(TestEncoderStatus)
#include "tst_encoderstatus.moc"
