#include "media/cvideoedit.h"
#include "media/videoediterror.h"
#include "testmedia.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The component shown at the clips' size, its PlaybackFinished events recorded.
struct ShownVideo
{
    CVideoEdit edit;
    QSignalSpy finished{&edit, &CVideoEdit::PlaybackFinished};

    ShownVideo()
    {
        edit.resize(320, 240);
        edit.show();
    }
};

} // namespace

// The media component with Qt Multimedia's FFmpeg back end on clips made here; what it
// shows is checked on the grabbed widget.
class TestCVideoEdit : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_media;
    QString m_clip;         // 8 s testsrc 320x240 with a tone
    QString m_realClip;     // the same as RealMedia, which the page previews as well
    QString m_shortPicture; // 8 s of sound, 7 s of picture

    // The picture ffmpeg itself decodes at t, at the widget's size.
    QImage Reference(double seconds, const QString &clip = {}) const
    {
        const QString png = m_media.filePath(QStringLiteral("ref_%1.png").arg(seconds));
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg",
                     {"-v",
                      "error",
                      "-y",
                      "-ss",
                      QString::number(seconds),
                      "-i",
                      "file:" + (clip.isEmpty() ? m_clip : clip),
                      "-frames:v",
                      "1",
                      "file:" + png});
        ffmpeg.waitForFinished(60000);
        return QImage(png).convertToFormat(QImage::Format_RGB32);
    }

    // Mean difference per channel, 0..255.
    static double Difference(const QImage &a, const QImage &b)
    {
        if (a.size() != b.size() || a.isNull())
            return 255.0;
        double sum = 0;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y);
                const QRgb q = b.pixel(x, y);
                sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q))
                       + qAbs(qBlue(p) - qBlue(q));
            }
        }
        return sum / (3.0 * a.width() * a.height());
    }

    static bool AllBlack(const QImage &image)
    {
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if ((image.pixel(x, y) & 0xffffff) != 0)
                    return false;
            }
        }
        return true;
    }

    // The picture preview of the page: a one-second range that stops on its own.
    static QImage ShowPicture(CVideoEdit &edit, const QString &file, double seconds)
    {
        QSignalSpy finished(&edit, &CVideoEdit::PlaybackFinished);
        edit.ClearTimeline();
        edit.exporter().SetColorDepth(24);
        edit.AddVideoRange(file, seconds, seconds + 1.0, 0);
        if (!edit.Play() || !finished.wait(5000))
            return {};
        return edit.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

private slots:
    void initTestCase()
    {
        m_clip = m_media.filePath("clip.mp4");
        QString log;
        QVERIFY2(
            TestMedia::MakeClip(m_clip, 8, {"-c:v", "mpeg4", "-q:v", "2", "-c:a", "aac"}, &log),
            qPrintable(log));
        m_realClip = m_media.filePath("clip.rm");
        QVERIFY2(
            TestMedia::MakeClip(m_realClip, 8, {"-c:v", "rv20", "-c:a", "ac3", "-f", "rm"}, &log),
            qPrintable(log));
        m_shortPicture = m_media.filePath("short.mp4");
        QVERIFY(TestMedia::MakeClip(m_shortPicture, 8, {"-vf", "trim=end=7", "-c:v", "mpeg4"}));
    }

    void durationAndUnreadableFiles()
    {
        CVideoEdit edit;
        QVERIFY(qAbs(edit.GetMediaDuration(m_clip) - 8.0) < 0.1);
        const QString text = m_media.filePath("notes.avi");
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("this is no video");
        file.close();
        QVERIFY_THROWS_EXCEPTION(VideoEditError, edit.GetMediaDuration(text));
        QVERIFY_THROWS_EXCEPTION(VideoEditError, edit.GetMediaDuration(m_media.filePath("none")));
        QVERIFY_THROWS_EXCEPTION(VideoEditError, edit.AddVideoRange(text, 0.0, 1.0, 0));
        QVERIFY_THROWS_EXCEPTION(VideoEditError, edit.AddAudioRange(text, 0.0, 1.0));
    }

    void rangesMustLieInTheFile()
    {
        CVideoEdit edit;
        QVERIFY_THROWS_EXCEPTION(VideoEditError, edit.AddVideoRange(m_clip, 9.0, 10.0, 0));
        QVERIFY_THROWS_EXCEPTION(VideoEditError, edit.AddVideoRange(m_clip, -1.0, 2.0, 0));
        QVERIFY_THROWS_EXCEPTION(VideoEditError, edit.AddAudioRange(m_clip, 3.0, 2.0));
        QVERIFY(edit.exporter().videoRanges().isEmpty());
        // A stop past the end is cut to it, and an empty range is a still picture.
        QVERIFY(edit.AddVideoRange(m_clip, 7.5, 8.5, 0));
        QVERIFY(edit.AddVideoRange(m_clip, 1.0, 1.0, 0));
        QCOMPARE(edit.exporter().videoRanges().size(), 2);
        QVERIFY(edit.exporter().videoRanges().first().stop <= 8.05);
        QVERIFY(!CVideoEdit().Play()); // nothing on the timeline
    }

    void rangePlaysAndFinishesOnce()
    {
        ShownVideo video;
        auto &[edit, finished] = video;
        edit.ClearTimeline();
        edit.AddVideoRange(m_clip, 3.0, 5.0, 0);
        edit.AddAudioRange(m_clip, 3.0, 5.0);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(edit.Play());
        QVERIFY(edit.isPlaying());
        QVERIFY(finished.wait(6000));
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(elapsed >= 1700 && elapsed <= 3000, qPrintable(QString::number(elapsed)));
        QVERIFY(qAbs(finished.first().first().toDouble() - 5.0) < 0.3);
        QTest::qWait(1500);
        QCOMPARE(finished.count(), 1);
        QVERIFY(!edit.isPlaying());
    }

    void stopPlaybackStopsAtOnce()
    {
        ShownVideo video;
        auto &[edit, finished] = video;
        edit.AddVideoRange(m_clip, 0.0, 8.0, 0);
        QVERIFY(edit.Play());
        QTest::qWait(500);
        edit.StopPlayback();
        QVERIFY(!edit.isPlaying());
        const QImage stopped = edit.grab().toImage();
        QTest::qWait(1000);
        QCOMPARE(finished.count(), 0);
        // The picture stands still where playback stopped.
        QCOMPARE(edit.grab().toImage(), stopped);
    }

    void picturesAtOneAndFiveSeconds_data()
    {
        QTest::addColumn<bool>("realMedia");
        QTest::newRow("MPEG-4") << false;
        QTest::newRow("RealMedia") << true;
    }

    void picturesAtOneAndFiveSeconds()
    {
        QFETCH(bool, realMedia);
        const QString clip = realMedia ? m_realClip : m_clip;
        ShownVideo video;
        CVideoEdit &edit = video.edit;
        const QImage one = ShowPicture(edit, clip, 1.0);
        const QImage five = ShowPicture(edit, clip, 5.0);
        QVERIFY(!one.isNull() && !five.isNull());
        QVERIFY(!AllBlack(one));
        QVERIFY2(Difference(one, five) > 3.0, qPrintable(QString::number(Difference(one, five))));
        // Each is the picture of its moment, as ffmpeg decodes it there.
        const QImage referenceOne = Reference(1.0, clip);
        const QImage referenceFive = Reference(5.0, clip);
        QVERIFY(Difference(one, referenceOne) < Difference(one, referenceFive));
        QVERIFY(Difference(five, referenceFive) < Difference(five, referenceOne));

        edit.ClearTimeline();
        QVERIFY(AllBlack(edit.grab().toImage().convertToFormat(QImage::Format_RGB32)));
    }

    void stillPictureOfAnEmptyRange()
    {
        ShownVideo video;
        auto &[edit, finished] = video;
        edit.AddVideoRange(m_clip, 1.0, 1.0, 0);
        QVERIFY(edit.Play());
        QVERIFY(finished.wait(3000));
        const QImage shown = edit.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QVERIFY(Difference(shown, Reference(1.0)) < Difference(shown, Reference(5.0)));
    }

    // A range of no length at or past the picture's last frame leaves that frame (its number
    // at 25 fps) rather than a black window.
    void stillPictureAtTheEnd_data()
    {
        QTest::addColumn<bool>("shortPicture");
        QTest::addColumn<double>("at");
        QTest::addColumn<int>("frame");
        QTest::newRow("inside the last frame") << false << 7.99 << 199;
        QTest::newRow("the clip's end") << false << 8.0 << 199;
        QTest::newRow("sound past the picture") << true << 7.5 << 174;
        QTest::newRow("end of the longer sound") << true << 8.0 << 174;
    }
    void stillPictureAtTheEnd()
    {
        QFETCH(bool, shortPicture);
        QFETCH(double, at);
        ShownVideo video;
        auto &[edit, finished] = video;
        QVERIFY(edit.AddVideoRange(shortPicture ? m_shortPicture : m_clip, at, at, 0));
        QVERIFY(edit.Play() && finished.wait(5000));
        QTEST(qRound(edit.pictureTime() * 25), "frame");
        QVERIFY(!AllBlack(edit.grab().toImage().convertToFormat(QImage::Format_RGB32)));
    }
};

QTEST_MAIN(TestCVideoEdit)
#include "tst_cvideoedit.moc"
