// Times a thumb's release on the real page: from the mouse button's release to the first
// frame of the new picture in the video window, over 20 releases on a 1080p H.264 clip, and
// once at the clip's end. Prints the figures; run by hand from the build folder. Target:
// median under 150 ms.
#include "benchsupport.h"
#include "controls/crangeslider.h"
#include "media/cvideoedit.h"
#include "page/cmivarteldlg.h"
#include "page/pagesources.h"
#include "testmedia.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <algorithm>

int main(int argc, char *argv[])
{
    BenchApplication<QApplication> app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.filePath("config").toLocal8Bit());
    // A key frame every second, as phones and cameras write them; the first argument gives
    // another interval in frames (250 is x264's own default).
    const QString gop = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("25");
    const QString clip = dir.filePath("full-hd.mp4");
    out << "making a 40-s 1920x1080 H.264 clip, key frame every " << gop << " frames..."
        << Qt::endl;
    if (!TestMedia::MakeClip(clip,
                             40,
                             {"-vf",
                              "scale=1920:1080",
                              "-c:v",
                              "libx264",
                              "-preset",
                              "veryfast",
                              "-g",
                              gop,
                              "-pix_fmt",
                              "yuv420p",
                              "-c:a",
                              "aac"})) {
        out << "ffmpeg could not make the clip" << Qt::endl;
        return 1;
    }

    CMivartelDlg page;
    page.OnInitDialog();
    page.show();
    if (!QTest::qWaitForWindowExposed(&page) || !page.sources().AddSourcePath(clip)) {
        out << "the page could not take the clip" << Qt::endl;
        return 1;
    }
    CVideoEdit *video = page.videoEdit();
    CRangeSlider *slider = page.rangeSlider();
    const auto idle = [&] { return QTest::qWaitFor([&] { return !video->isPlaying(); }, 10000); };
    // Milliseconds from the release of a drag to the first frame shown; negative: none came.
    const auto release = [&](int from, int to) {
        QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(from, 10));
        QTest::mouseMove(slider, QPoint(to, 10));
        bool shown = false;
        const QMetaObject::Connection connection
            = QObject::connect(video, &CVideoEdit::PictureShown, [&] { shown = true; });
        QElapsedTimer clock;
        clock.start();
        QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(to, 10));
        const bool arrived = QTest::qWaitFor([&] { return shown; }, 5000);
        QObject::disconnect(connection);
        return arrived ? double(clock.nsecsElapsed()) / 1e6 : -1.0;
    };

    // The right thumb from inside the clip to its end: the frame shown there is the last one,
    // which is looked for the first time.
    const int right = slider->RightThumbRect().center().x();
    release(right, right - 40);
    const double toEnd = idle() ? release(slider->RightThumbRect().center().x(), right + 20) : -1;
    if (toEnd < 0 || !idle()) {
        out << "no picture at the clip's end" << Qt::endl;
        return 1;
    }
    out << QString("release at the end to its last frame (%1 s): %2 ms")
               .arg(video->pictureTime(), 0, 'f', 2)
               .arg(toEnd, 0, 'f', 1)
        << Qt::endl;

    QList<double> times;
    for (int n = 0; n < 20 && idle(); ++n) {
        // The left thumb to spots all over the clip. The release puts it on a whole second, a
        // key frame of the default clip; with 250 frames between key frames most are not.
        const double ms = release(slider->LeftThumbRect().center().x(), 6 + (n * 37 + 11) % 180);
        if (ms < 0) {
            out << "release " << n << ": no picture within 5 s" << Qt::endl;
            return 1;
        }
        times << ms;
        out << QString("release %1 at %2 s: %3 ms")
                   .arg(n + 1, 2)
                   .arg(slider->LeftPos(), 5, 'f', 2)
                   .arg(ms, 6, 'f', 1)
            << Qt::endl;
    }
    if (times.size() < 20) {
        out << "a picture's playback did not end" << Qt::endl;
        return 1;
    }
    out << QString("release to first frame: median %1 ms, worst %2 ms over %3 releases "
                   "(target: median < 150 ms)")
               .arg(BenchSupport::Median(times), 0, 'f', 1)
               .arg(*std::max_element(times.begin(), times.end()), 0, 'f', 1)
               .arg(times.size())
        << Qt::endl;
    return 0;
}
