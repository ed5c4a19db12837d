#include "engine/exportprogressparser.h"

#include <QTest>

// Output recorded from "ffmpeg -progress pipe:1 -stats_period 0.25" rendering 60 s of a
// RealMedia clip into an AVI.
static const char Recorded[] = R"(frame=1
fps=0.00
stream_0_0_q=3.0
bitrate=1199.5kbits/s
total_size=9996
out_time_us=66667
out_time_ms=66667
out_time=00:00:00.066667
dup_frames=0
drop_frames=0
speed=72.5x
progress=continue
frame=224
fps=0.00
stream_0_0_q=3.0
bitrate= 280.9kbits/s
total_size=524288
out_time_us=14933333
out_time_ms=14933333
out_time=00:00:14.933333
dup_frames=0
drop_frames=0
speed=59.5x
progress=continue
frame=455
fps=0.00
stream_0_0_q=3.0
bitrate= 276.5kbits/s
total_size=1048576
out_time_us=30333333
out_time_ms=30333333
out_time=00:00:30.333333
dup_frames=0
drop_frames=0
speed=60.5x
progress=continue
frame=737
fps=0.00
stream_0_0_q=3.0
bitrate= 298.8kbits/s
total_size=1835008
out_time_us=49133333
out_time_ms=49133333
out_time=00:00:49.133333
dup_frames=0
drop_frames=0
speed=65.4x
progress=continue
frame=900
fps=0.00
stream_0_0_q=3.0
bitrate= 305.8kbits/s
total_size=2293530
out_time_us=60003265
out_time_ms=60003265
out_time=00:01:00.003265
dup_frames=0
drop_frames=0
speed=68.6x
progress=end
)";

class TestExportProgressParser : public QObject
{
    Q_OBJECT

private slots:
    // However the pipe cuts the text, the same blocks come out.
    void blocksOfRecordedOutput_data()
    {
        QTest::addColumn<int>("chunkSize");
        QTest::newRow("whole") << int(sizeof(Recorded));
        QTest::newRow("one byte") << 1;
        QTest::newRow("odd pieces") << 7;
        QTest::newRow("pipe-sized") << 255;
    }

    void blocksOfRecordedOutput()
    {
        QFETCH(int, chunkSize);
        const QByteArray all(Recorded);
        ExportProgressParser parser;
        QList<double> reached;
        for (qsizetype at = 0; at < all.size(); at += chunkSize) {
            QVERIFY(!parser.ended());
            reached += parser.Feed(all.mid(at, chunkSize));
        }
        QCOMPARE(reached, (QList<double>{0.066667, 14.933333, 30.333333, 49.133333, 60.003265}));
        QVERIFY(parser.ended());
    }

    void unfinishedBlockWaitsForItsEnd()
    {
        ExportProgressParser parser;
        QVERIFY(parser.Feed("out_time_us=1500000\nprogress=cont").isEmpty());
        QCOMPARE(parser.Feed("inue\n"), QList<double>{1.5});
        // Before a packet is written ffmpeg says N/A; the last time reached stands.
        QCOMPARE(parser.Feed("out_time_us=N/A\nprogress=continue\n"), QList<double>{1.5});
        QVERIFY(!parser.ended());
    }
};

QTEST_GUILESS_MAIN(TestExportProgressParser)
#include "tst_exportprogressparser.moc"
