#include "engine/timelineexporter.h"
#include "testmedia.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The export half of the media component, rendering through real ffmpeg on a clip made here.
class TestTimelineExporter : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_media;
    QString m_clip; // 8 s testsrc 320x240 with a tone

private slots:
    void initTestCase()
    {
        m_clip = m_media.filePath("clip.mp4");
        QVERIFY(TestMedia::MakeClip(m_clip, 8, {"-c:v", "mpeg4", "-c:a", "aac"}));
    }

    void exportsTheRangesWithItsEvents()
    {
        TimelineExporter exporter;
        QSignalSpy progress(&exporter, &TimelineExporter::ExportProgress);
        QSignalSpy finished(&exporter, &TimelineExporter::ExportFinished);
        exporter.ClearTimeline();
        exporter.SetVideoWidth(160);
        exporter.SetVideoHeight(120);
        exporter.SetFrameRate(25.0f);
        exporter.SetOutputFormat(TimelineExporter::Mpeg);
        exporter.AddVideoRange(m_clip, 2.0, 5.0, 0);
        exporter.AddAudioRange(m_clip, 2.0, 5.0);
        const QString out = m_media.filePath("export.mpg");
        QVERIFY(!exporter.StartExport(m_media.filePath("no/such/folder/x.mpg")));
        QVERIFY(exporter.StartExport(out));
        QVERIFY(finished.wait(20000));
        QTest::qWait(200);
        QCOMPARE(finished.count(), 1);
        QVERIFY(!progress.isEmpty());
        QCOMPARE(progress.last().at(1).toDouble(), 3.0);
        QVERIFY(qAbs(progress.last().at(0).toDouble() - 3.0) < 0.2);
        QCOMPARE(TestMedia::ProbeValues(out, "stream=width", "width").value(0), QString("160"));
        const double duration
            = TestMedia::ProbeValues(out, "format=duration", "duration").value(0).toDouble();
        QVERIFY2(qAbs(duration - 3.0) < 0.2, qPrintable(QString::number(duration)));
        // An unknown container refuses to start and leaves nothing.
        exporter.SetOutputFormat(7);
        QVERIFY(!exporter.StartExport(m_media.filePath("other.mpg")));
        QVERIFY(!QFile::exists(m_media.filePath("other.mpg")));
    }

    // Pause reaches the export's ffmpeg: one started while paused stops at once, and goes on
    // when resumed.
    void pauseStopsTheExport()
    {
        TimelineExporter exporter;
        QSignalSpy finished(&exporter, &TimelineExporter::ExportFinished);
        exporter.SetOutputFormat(TimelineExporter::Avi);
        exporter.AddVideoRange(m_clip, 0.0, 8.0, 0);
        exporter.AddAudioRange(m_clip, 0.0, 8.0);
        exporter.SetPaused(true);
        QVERIFY(exporter.StartExport(m_media.filePath("paused.avi")));
        QTRY_COMPARE(TestMedia::EncoderStates(m_media.path()), QString("T"));
        QTest::qWait(300);
        QCOMPARE(finished.count(), 0);
        exporter.SetPaused(false);
        QVERIFY(finished.wait(20000));
        QCOMPARE(TestMedia::EncoderStates(m_media.path()), QString());
    }
};

QTEST_GUILESS_MAIN(TestTimelineExporter)
#include "tst_timelineexporter.moc"
