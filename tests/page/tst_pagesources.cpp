#include "controls/ccelllistctrl.h"
#include "controls/cfadeinpicture.h"
#include "controls/cimagebutton.h"
#include "controls/crangeslider.h"
#include "engine/mediaduration.h"
#include "media/cvideoedit.h"
#include "media/sourcefiledialog.h"
#include "page/jobmenu.h"
#include "page/pagebatch.h"
#include "page/pagesources.h"
#include "page/previewtrim.h"
#include "page/sourcequeue.h"
#include "pagefixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileSystemModel>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QStandardPaths>

#include <algorithm>

namespace {

// Bounds, then positions; the page sets them exactly, so they compare exactly.
QList<double> SliderOf(CMivartelDlg *page)
{
    const CRangeSlider *s = page->rangeSlider();
    return {s->LowerBound(), s->UpperBound(), s->LeftPos(), s->RightPos()};
}

// Start and stop of each range on the video control's timeline.
QList<double> PictureRange(CMivartelDlg *page)
{
    QList<double> times;
    for (const TimelineRange &range : page->videoEdit()->exporter().videoRanges())
        times << range.start << range.stop;
    return times;
}

void Drag(QWidget *w, int fromX, int toX)
{
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(fromX, 10));
    QTest::mouseMove(w, QPoint((fromX + toX) / 2, 10));
    QTest::mouseMove(w, QPoint(toX, 10));
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(toX, 10));
}

bool PictureDone(CMivartelDlg *page)
{
    return QTest::qWaitFor([page] { return !page->videoEdit()->isPlaying(); }, 10000)
           && !page->previewTrim().framePreviewing();
}

QStringList SourcePaths(CMivartelDlg *page)
{
    QStringList paths;
    for (int i = 0; i < page->state().jobs.count(); ++i)
        paths << page->state().jobs.copyOut(i).sourcePath;
    return paths;
}

// True when the page accepts the drag.
bool Drop(CMivartelDlg *page, const QList<QUrl> &urls)
{
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(page, &enter);
    QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(page, &dropped);
    return enter.isAccepted();
}

// The still left in the video window is the frame at `seconds`, within a frame (25 fps).
bool PictureAt(CMivartelDlg *page, double seconds)
{
    return PictureDone(page) && qAbs(page->videoEdit()->pictureTime() - seconds) < 0.041;
}

// What the video window shows: "black", a flat "grey" (a counting clip) or "colour" (testsrc).
QString PictureKind(CMivartelDlg *page)
{
    const QImage shot = page->videoEdit()->grab().toImage();
    bool lit = false;
    for (int y = shot.height() / 8; y < shot.height(); y += shot.height() / 8) {
        for (int x = shot.width() / 8; x < shot.width(); x += shot.width() / 8) {
            const QColor c = shot.pixelColor(x, y);
            if (qMax(qAbs(c.red() - c.green()), qAbs(c.green() - c.blue())) > 40)
                return QStringLiteral("colour");
            lit = lit || c.value() > 8;
        }
    }
    return lit ? QStringLiteral("grey") : QStringLiteral("black");
}

double OutputLength(const QString &file)
{
    return TestMedia::ProbeValues(file, "format=duration", "duration").value(0).toDouble();
}

} // namespace

class TestPageSources : public QObject
{
    Q_OBJECT

    PageFixture m;
    QString a, b, sound, broken, counting;
    QList<TestMedia::OddSource> oddSources;
    double durA = 0, durB = 0; // as the container says: 20 s and 3 s, give or take
    int dialogs = 0;
    QStringList folders; // where each dialog opened

    CMivartelDlg *Open(const QStringList &chosen = {})
    {
        CMivartelDlg *page = m.Open();
        if (page)
            page->sources().SetFileChooser([this, chosen](QWidget *, const QString &folder) {
                ++dialogs;
                folders << folder;
                return chosen;
            });
        dialogs = 0;
        folders.clear();
        return page;
    }
    // A page with `jobs` jobs of 20 s, 3 s, 20 s, ... (the slider tells which job it shows),
    // the given row selected unless it is -1.
    CMivartelDlg *OpenWithJobs(int jobs, int row)
    {
        QStringList files;
        for (int i = 0; i < jobs; ++i)
            files << (i % 2 ? b : a);
        CMivartelDlg *page = Open();
        if (!page || !m.Add(page, files))
            return nullptr;
        if (row >= 0)
            m.SelectRow(page, row);
        return page;
    }

private slots:
    void initTestCase()
    {
        m.SetUp();
        a = m.Clip("alpha", 20);
        b = m.scratch.filePath("clips/beta.mkv");
        sound = m.scratch.filePath("clips/tune.mp3");
        QVERIFY(!a.isEmpty() && TestMedia::MakeClip(b, 3)
                && TestMedia::MakeClip(sound, 4, {"-vn"}));
        counting = m.scratch.filePath("clips/counting.avi");
        QVERIFY(TestMedia::MakeCountingClip(counting, 4));
        durA = MeasureMediaDuration(a).value_or(0);
        durB = MeasureMediaDuration(b).value_or(0);
        broken = m.scratch.filePath("clips/broken.mp4");
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a movie") > 0);
        const QString indexLast = m.scratch.filePath("clips/last.mp4");
        const QString indexFirst = m.scratch.filePath("clips/first.mp4");
        QVERIFY(TestMedia::MakeClip(indexLast, 4, {"-c:v", "mpeg4", "-c:a", "aac"}));
        QVERIFY(TestMedia::MakeClip(
            indexFirst, 4, {"-c:v", "mpeg4", "-c:a", "aac", "-movflags", "+faststart"}));
        QVERIFY(QDir().mkpath(m.scratch.filePath("odd")));
        oddSources = TestMedia::MakeOddSources(m.scratch.filePath("odd"), indexLast, indexFirst);
    }
    void cleanup() { m.outer.reset(); }

    // Both clips through the Add button; the first trimmed with the mouse, step after step.
    void addsThroughTheDialogAndTrimsWithTheMouse()
    {
        CMivartelDlg *page = Open({a, b});
        QVERIFY(page);
        QVERIFY(m.ClickAdd(page));
        QCOMPARE(page->state().jobs.count(), 2);
        QCOMPARE(page->previewTrim().selectedJob(), 1);
        QVERIFY(page->videoEdit()->isVisible() && !page->fadeInPicture()->isVisible());
        QCOMPARE(PictureRange(page), (QList<double>{0.0, 0.0}));
        QVERIFY(PictureAt(page, 0.0));
        m.SelectRow(page, 0);
        QCOMPARE(page->previewTrim().selectedJob(), 0);
        QCOMPARE(SliderOf(page), (QList<double>{0, durA, 0, durA}));
        QVERIFY(PictureAt(page, 0.0));

        CRangeSlider *slider = page->rangeSlider();
        // Each release puts the thumbs on the whole seconds the cells show (the source's own
        // end stays exact) and leaves in the window the frame at Begin, or the last one before
        // End (the clip's last 0.04 s is one frame).
        struct Step
        {
            int part, dx;
            double begin, end;
            const char *beginCell, *endCell;
        };
        const Step steps[] = {
            {CRangeSlider::LeftThumb, 65, 6, durA, "00:00:06", "00:00:20"},
            {CRangeSlider::RightThumb, -55, 6, 14, "00:00:06", "00:00:14"},
            {CRangeSlider::RightThumb, 90, 6, durA, "00:00:06", "00:00:20"},
            {CRangeSlider::RightThumb, -55, 6, 14, "00:00:06", "00:00:14"},
            {CRangeSlider::MiddleBar, -30, 2, 10, "00:00:02", "00:00:10"},
        };
        for (const Step &step : steps) {
            const QRect l = slider->LeftThumbRect(), r = slider->RightThumbRect();
            const int from = step.part == CRangeSlider::LeftThumb    ? l.center().x()
                             : step.part == CRangeSlider::RightThumb ? r.center().x()
                                                                     : (l.right() + r.left()) / 2;
            Drag(slider, from, from + step.dx);
            const ConversionJob job = page->state().jobs.copyOut(0);
            QCOMPARE(job.beginTime, step.begin);
            QCOMPARE(job.endTime, step.end);
            QCOMPARE(job.beginTime, slider->LeftPos());
            QCOMPARE(job.endTime, slider->RightPos());
            QCOMPARE(page->jobList()->GetCellInfo(0, 1).text, QString(step.beginCell));
            QCOMPARE(page->jobList()->GetCellInfo(0, 2).text, QString(step.endCell));
            const bool end = step.part == CRangeSlider::RightThumb;
            const double at = end ? job.endTime - 0.001 : job.beginTime;
            QCOMPARE(PictureRange(page), (QList<double>{at, at}));
            QVERIFY(PictureAt(page, end ? job.endTime - 0.04 : at));
        }
        QCOMPARE(page->state().jobs.copyOut(1).endTime, durB); // the other job is untouched
        // A key moves the range on to the next whole seconds.
        QTest::keyClick(slider, Qt::Key_Right);
        QCOMPARE(SliderOf(page), (QList<double>{0, durA, 3, 11}));
        QCOMPARE(page->state().jobs.copyOut(0).endTime, 11.0);
        // The next dialog opens where the last source came from.
        QTest::mouseClick(page->addButton(), Qt::LeftButton);
        QCOMPARE(folders.size(), 2);
        QCOMPARE(folders[1], m.scratch.filePath("clips"));
        const QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
        QCOMPARE(folders[0], QFileInfo(videos).isDir() ? videos : QDir::homePath());
    }

    void keysMoveTheSelection_data()
    {
        QTest::addColumn<int>("jobs");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("expected");
        QTest::newRow("Down") << 5 << 1 << int(Qt::Key_Down) << 2;
        QTest::newRow("Down on the last") << 5 << 4 << int(Qt::Key_Down) << 4;
        QTest::newRow("Up on the first") << 5 << 0 << int(Qt::Key_Up) << 0;
        QTest::newRow("Page Down") << 5 << 0 << int(Qt::Key_PageDown) << 3;
        QTest::newRow("Page Down near the end") << 5 << 3 << int(Qt::Key_PageDown) << 4;
        QTest::newRow("Page Down on the last") << 5 << 4 << int(Qt::Key_PageDown) << 4;
        QTest::newRow("Page Up") << 5 << 4 << int(Qt::Key_PageUp) << 1;
        QTest::newRow("Page Up near the top") << 5 << 2 << int(Qt::Key_PageUp) << 0;
        QTest::newRow("Home") << 5 << 3 << int(Qt::Key_Home) << 0;
        QTest::newRow("End") << 5 << 1 << int(Qt::Key_End) << 4;
        QTest::newRow("Home on an empty list") << 0 << -1 << int(Qt::Key_Home) << -1;
        QTest::newRow("End on an empty list") << 0 << -1 << int(Qt::Key_End) << -1;
        QTest::newRow("Enter") << 5 << 2 << int(Qt::Key_Return) << 2;
        QTest::newRow("Escape") << 5 << 2 << int(Qt::Key_Escape) << 2;
    }
    void keysMoveTheSelection()
    {
        QFETCH(int, jobs);
        QFETCH(int, start);
        QFETCH(int, key);
        QFETCH(int, expected);
        CMivartelDlg *page = OpenWithJobs(jobs, start);
        QVERIFY(page);
        QTest::keyClick(page->jobList(), Qt::Key(key));
        QCOMPARE(page->previewTrim().selectedJob(), expected);
        if (expected >= 0) {
            QCOMPARE(page->jobList()->GetSelectionMark(), expected);
            const double end = expected % 2 ? durB : durA;
            QCOMPARE(SliderOf(page), (QList<double>{0, end, 0, end}));
        }
        // Enter and Escape close nothing and press no button, wherever the focus is.
        page->removeButton()->setFocus();
        for (const Qt::Key closer : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(page->removeButton(), closer);
        QCOMPARE(page->state().jobs.count(), jobs);
        QVERIFY(m.outer->isVisible());
    }

    // Tab walks the page in reading order; the ring shows on the controls that draw themselves
    // only when the focus came from the keyboard.
    void tabFollowsTheReadingOrderAndShowsTheFocus()
    {
        CMivartelDlg *page = Open();
        QVERIFY(page);
        QVERIFY(page->sources().AddSourcePath(a));
        QVERIFY(PictureDone(page));
        const QList<QWidget *> expected{page->profileList(),
                                        page->browseButton(),
                                        page->shutDownBox(),
                                        page->jobList(),
                                        page->addButton(),
                                        page->removeButton(),
                                        page->removeAllButton(),
                                        page->rangeSlider(),
                                        page->previewButton(),
                                        page->stopPreviewButton(),
                                        page->helpButton(),
                                        page->startButton()};
        // The skin marks the standard controls; marking them keeps the font the page fitted.
        const QFont fitted = page->shutDownBox()->font();
        page->outputTypeBox()->setFocus(Qt::MouseFocusReason);
        QVERIFY(!page->outputTypeBox()->property("keyboardFocus").toBool());
        for (QWidget *next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
            const auto *button = qobject_cast<CImageButton *>(next);
            QVERIFY(button                        ? button->FocusShown()
                    : next == page->rangeSlider() ? page->rangeSlider()->FocusShown()
                    : next == page->jobList()     ? page->jobList()->FocusShown()
                                                  : next->property("keyboardFocus").toBool());
        }
        QVERIFY(!page->shutDownBox()->property("keyboardFocus").toBool());
        QCOMPARE(page->shutDownBox()->font(), fitted);
        // A ring changes pixels; a click's focus leaves the control as the mouse user knows it.
        CRangeSlider *slider = page->rangeSlider();
        const QRect outside(slider->RightThumbRect().right() + 1, 0, 3, slider->height());
        page->previewButton()->setFocus(Qt::BacktabFocusReason);
        QVERIFY(page->previewButton()->FocusShown() && !slider->FocusShown());
        const QImage plain = slider->grab().toImage();
        slider->setFocus(Qt::TabFocusReason);
        QVERIFY(slider->FocusShown());
        QVERIFY(slider->grab().toImage() != plain);
        page->previewButton()->setFocus(Qt::TabFocusReason);
        QTest::mouseClick(slider, Qt::LeftButton, {}, outside.center());
        QVERIFY(slider->hasFocus() && !slider->FocusShown());
        QCOMPARE(slider->grab().toImage(), plain);
        page->jobList()->setFocus(Qt::TabFocusReason);
        QVERIFY(page->jobList()->FocusShown());
        m.SelectRow(page, 0);
        QVERIFY(page->jobList()->hasFocus());
    }

    // Space presses a picture button only where the ring shows it.
    void spacePressesOnlyAButtonWhoseFocusShows()
    {
        CMivartelDlg *page = Open();
        QVERIFY(page);
        QVERIFY(page->sources().AddSourcePath(a) && page->sources().AddSourcePath(b));
        QVERIFY(PictureDone(page));
        page->removeAllButton()->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(page->removeAllButton(), Qt::Key_Space);
        QCOMPARE(page->state().jobs.count(), 2);
        page->removeButton()->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(page->removeButton(), Qt::Key_Tab);
        QVERIFY(page->removeAllButton()->hasFocus() && page->removeAllButton()->FocusShown());
        QTest::keyClick(page->removeAllButton(), Qt::Key_Return);
        QCOMPARE(page->state().jobs.count(), 2);
        QTest::keyClick(page->removeAllButton(), Qt::Key_Space);
        QCOMPARE(page->state().jobs.count(), 0);
    }

    // The slider's keys trim the job as a drag does, on whole seconds; the picture shows the
    // end the keys moved once they rest, not after every press.
    void keyboardTrimsAsADragDoes()
    {
        CMivartelDlg *page = Open();
        QVERIFY(page);
        QVERIFY(page->sources().AddSourcePath(a));
        QVERIFY(PictureAt(page, 0.0)); // a new job shows its Begin
        CRangeSlider *slider = page->rangeSlider();
        page->jobList()->setFocus(Qt::MouseFocusReason);
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), slider);
        struct Step
        {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            int presses;
            double begin, end, picture;
            const char *beginCell, *endCell;
        };
        const Step steps[] = {
            {Qt::Key_Right, Qt::ControlModifier, 3, 3, durA, 3, "00:00:03", "00:00:20"},
            {Qt::Key_Left, Qt::ShiftModifier, 2, 3, 18, 17.96, "00:00:03", "00:00:18"},
            {Qt::Key_Right, Qt::NoModifier, 1, 4, 19, 4, "00:00:04", "00:00:19"},
            {Qt::Key_Left, Qt::ControlModifier, 1, 3, 19, 3, "00:00:03", "00:00:19"},
            {Qt::Key_Left, Qt::ControlModifier, 5, 0, 19, 0, "00:00:00", "00:00:19"},
        };
        QList<double> shown{0.0, 0.0};
        for (const Step &step : steps) {
            for (int i = 0; i < step.presses; ++i)
                QTest::keyClick(slider, step.key, step.modifiers);
            const ConversionJob job = page->state().jobs.copyOut(0);
            QCOMPARE(job.beginTime, step.begin);
            QCOMPARE(job.endTime, step.end);
            QCOMPARE(SliderOf(page), (QList<double>{0, durA, step.begin, step.end}));
            QCOMPARE(page->jobList()->GetCellInfo(0, 1).text, QString(step.beginCell));
            QCOMPARE(page->jobList()->GetCellInfo(0, 2).text, QString(step.endCell));
            QCOMPARE(PictureRange(page), shown); // the keys have not rested yet
            // The End's picture is the last frame before it.
            const double at = step.modifiers == Qt::ShiftModifier ? step.end - 0.001 : step.picture;
            shown = {at, at};
            QTRY_COMPARE(PictureRange(page), shown);
            QVERIFY(PictureAt(page, step.picture));
        }
    }

    void removals_data()
    {
        QTest::addColumn<int>("jobs");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("all");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QChar>("shown"); // the clip on the slider; n: none
        QTest::newRow("selected, the last row") << 3 << 2 << false << 1 << QChar('b');
        QTest::newRow("selected, a middle row") << 3 << 1 << false << 1 << QChar('a');
        QTest::newRow("selected, the only row") << 1 << 0 << false << -1 << QChar('n');
        QTest::newRow("all of a full list") << 3 << 1 << true << -1 << QChar('n');
        QTest::newRow("all of an empty list") << 0 << -1 << true << -1 << QChar('n');
    }
    void removals()
    {
        QFETCH(int, jobs);
        QFETCH(int, row);
        QFETCH(bool, all);
        QFETCH(int, expected);
        QFETCH(QChar, shown);
        const double upper = shown == 'a' ? durA : shown == 'b' ? durB : 120.0;
        CMivartelDlg *page = OpenWithJobs(jobs, row);
        QVERIFY(page);
        QVERIFY(PictureDone(page));
        QTest::mouseClick(all ? page->removeAllButton() : page->removeButton(), Qt::LeftButton);
        const int left = all ? 0 : jobs - 1;
        QCOMPARE(page->state().jobs.count(), left);
        QCOMPARE(page->jobList()->GetItemCount(), left);
        QCOMPARE(page->previewTrim().selectedJob(), expected);
        QCOMPARE(SliderOf(page), (QList<double>{0, upper, 0, upper}));
        if (expected >= 0) {
            QCOMPARE(page->jobList()->GetSelectionMark(), expected);
            QVERIFY(page->jobList()->selectionModel()->isRowSelected(expected));
        } else {
            QVERIFY(page->videoEdit()->exporter().videoRanges().isEmpty());
            QCOMPARE(page->videoEdit()->isVisible(), jobs > 0);
        }
    }

    // Beyond the end: the picture at 1 s; a second release during the first picture: nothing
    // new; a source that has vanished: no picture, and no block on the next one.
    void pictureRequests()
    {
        CMivartelDlg *page = Open();
        QVERIFY(page);
        const QString doomed = m.scratch.filePath("clips/doomed.avi");
        QVERIFY(QFile::copy(a, doomed));
        QVERIFY(m.Add(page, {doomed, b}));
        QVERIFY(PictureDone(page));
        page->previewTrim().ShowPicture(a, 30.0);
        QCOMPARE(PictureRange(page), (QList<double>{1.0, 1.0}));
        QVERIFY(PictureDone(page));

        m.SelectRow(page, 0);
        Drag(page->rangeSlider(), 6, 50);
        QCOMPARE(page->state().jobs.copyOut(0).beginTime, 4.0);
        QCOMPARE(PictureRange(page), (QList<double>{0.0, 0.0})); // still the selection's picture
        QVERIFY(PictureDone(page));

        QVERIFY(QFile::remove(doomed));
        m.SelectRow(page, 1);
        QVERIFY(PictureDone(page));
        m.SelectRow(page, 0);
        QCOMPARE(page->previewTrim().selectedJob(), 0);
        QCOMPARE(page->previewTrim().framePreviewing(), 0);
        QTest::mouseClick(page->previewButton(), Qt::LeftButton);
        QCOMPARE(m.notices.size(), 1);
        QVERIFY(m.notices[0].text.contains(doomed));
        m.SelectRow(page, 1);
        QCOMPARE(PictureRange(page), (QList<double>{0.0, 0.0}));
        QCOMPARE(page->videoEdit()->exporter().videoRanges()[0].file, b);
    }

    // Preview plays the range with sound (or without, where there is no audio device) to its
    // end; Stop preview ends it; Preview with no job does nothing. The sound-only source shows
    // no picture, not the one of the job before it.
    void preview()
    {
        CMivartelDlg *page = Open();
        QVERIFY(page);
        QVERIFY(m.Add(page, {a, sound}));
        QVERIFY(PictureDone(page));
        const QImage shot = page->videoEdit()->grab().toImage();
        QCOMPARE(shot.pixelColor(shot.rect().center()), QColor(Qt::black));
        Drag(page->rangeSlider(), 6, 100);
        QVERIFY(PictureDone(page));
        const double begin = page->state().jobs.copyOut(1).beginTime;
        QCOMPARE(begin, 1.0);
        for (const bool stop : {false, true}) {
            QTest::mouseClick(page->previewButton(), Qt::LeftButton);
            QVERIFY(page->videoEdit()->isPlaying());
            QCOMPARE(page->videoEdit()->exporter().audioRanges()[0].start, begin);
            if (stop)
                QTest::mouseClick(page->stopPreviewButton(), Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(!page->videoEdit()->isPlaying(), 10000);
            QCOMPARE(page->previewTrim().fullPreviewing(), stop ? 0 : 1);
        }
        QVERIFY(m.notices.isEmpty());

        QTest::mouseClick(page->removeAllButton(), Qt::LeftButton);
        QTest::mouseClick(page->previewButton(), Qt::LeftButton);
        QVERIFY(!page->videoEdit()->isPlaying());
        QVERIFY(page->videoEdit()->exporter().videoRanges().isEmpty());
    }

    // Cells 00:00:01 and 00:00:06 on an 8-s clip, the thumbs let go at 1.9 and 6.1 s: the
    // pictures are the frames at 1 and 5.96 s, and the output lasts the five seconds between.
    void outputCoversTheRangeTheCellsShow()
    {
        CMivartelDlg *page = m.OpenWith({m.Clip("eight", 8)});
        QVERIFY(page && PictureDone(page));
        CRangeSlider *slider = page->rangeSlider();
        const double s = slider->UpperBound() / (slider->width() - 26); // thumb centres 6, 19 px
        Drag(slider, slider->LeftThumbRect().center().x(), 6 + qRound(1.9 / s));
        QVERIFY(PictureAt(page, 1.0));
        Drag(slider, slider->RightThumbRect().center().x(), 19 + qRound(6.1 / s));
        QVERIFY(PictureAt(page, 5.96));
        QCOMPARE(page->jobList()->GetCellInfo(0, 1).text, QString("00:00:01"));
        QCOMPARE(page->jobList()->GetCellInfo(0, 2).text, QString("00:00:06"));
        m.ClearOutput();
        QVERIFY(m.RunBatch(page));
        // The profile's 15 fps picture may end a frame past each end of the range.
        QVERIFY(qAbs(OutputLength(m.OutputDir() + "eight.3gp") - 5.0) < 0.15);
    }

    // A clip under a second shows its end as 00:00:01 and converts whole; with its thumbs
    // together Start refuses it by name, and writes nothing.
    void subSecondClipAndAnEmptyRange()
    {
        CMivartelDlg *page = m.OpenWith({m.Clip("blink", 0.6)});
        QVERIFY(page);
        QCOMPARE(page->jobList()->GetCellInfo(0, 2).text, QString("00:00:01"));
        m.ClearOutput();
        QVERIFY(m.RunBatch(page));
        QVERIFY(qAbs(OutputLength(m.OutputDir() + "blink.3gp") - 0.6) < 0.15);

        QVERIFY(PictureDone(page));
        Drag(page->rangeSlider(), 6, 220); // the left thumb onto the right one
        QCOMPARE(page->state().jobs.copyOut(0).beginTime, page->state().jobs.copyOut(0).endTime);
        m.ClearOutput();
        m.notices.clear();
        QTest::mouseClick(page->startButton(), Qt::LeftButton);
        QCOMPARE(m.notices.size(), 1);
        QCOMPARE(m.notices[0].caption, QStringLiteral("Error"));
        QCOMPARE(m.notices[0].text, PageBatch::EmptyRangeText({"blink.avi"}));
        QVERIFY(m.OutputFiles().isEmpty());
    }

    // The picture is the selected job's, at its Begin: after an add, after a job without
    // pictures, after Remove from the row menu (which right-clicks another row first).
    void pictureFollowsTheSelection_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("frame"); // of the counting clip; -1: another clip
        QTest::newRow("a file just added") << QStringList{a, counting} << ""
                                           << "grey" << 0;
        QTest::newRow("a video job after an audio-only one")
            << QStringList{a, sound, counting} << "sound, then video"
            << "colour" << -1;
        QTest::newRow("Remove from the row menu")
            << QStringList{counting, a, sound} << "menu remove"
            << "colour" << -1;
    }
    void pictureFollowsTheSelection()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, action);
        QFETCH(QString, kind);
        QFETCH(int, frame);
        CMivartelDlg *page = Open();
        QVERIFY(page);
        QVERIFY(m.Add(page, files));
        QVERIFY(PictureDone(page));
        if (action == "sound, then video") {
            m.SelectRow(page, 1);
            QVERIFY(PictureDone(page));
            QCOMPARE(PictureKind(page), QStringLiteral("black"));
            m.SelectRow(page, 0);
        } else if (action == "menu remove") {
            CCellListCtrl *list = page->jobList();
            const QPoint first = list->CellRect(0, 0).center();
            QTest::mousePress(list->viewport(), Qt::RightButton, {}, first);
            QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, first);
            std::unique_ptr<QMenu> menu(page->findChild<JobMenu *>()->MenuFor(0));
            for (QAction *item : menu->actions()) {
                if (item->text() == JobMenu::RemoveText)
                    item->trigger();
            }
            QCOMPARE(SourcePaths(page), (QStringList{a, sound}));
        }
        QVERIFY(PictureAt(page, 0.0));
        QCOMPARE(page->previewTrim().selectedJob(), page->jobList()->GetSelectionMark());
        QCOMPARE(page->state().jobs.copyOut(page->previewTrim().selectedJob()).beginTime, 0.0);
        QCOMPARE(PictureKind(page), kind);
        if (frame >= 0)
            QCOMPARE(qRound(page->videoEdit()->pictureTime() * 25.0), frame);
    }

    // The Begin picture is the output's first frame and the End picture its last, however the
    // thumb was moved; the counting clip tells the frames apart.
    void picturesOfTheEndsAreTheOutputsEnds_data()
    {
        QTest::addColumn<bool>("end");
        QTest::addColumn<QList<int>>("keys"); // Shift+arrow presses, -1 left; none: a drag
        QTest::addColumn<double>("to");       // where a drag lets go, seconds
        QTest::addColumn<int>("frame");
        QTest::newRow("Begin dragged") << false << QList<int>{} << 1.4 << 25;
        QTest::newRow("End dragged") << true << QList<int>{} << 3.4 << 74;
        QTest::newRow("End back to the source's end") << true << QList<int>{-1, 1} << 0.0 << 99;
    }
    void picturesOfTheEndsAreTheOutputsEnds()
    {
        QFETCH(bool, end);
        QFETCH(QList<int>, keys);
        QFETCH(double, to);
        QFETCH(int, frame);
        CMivartelDlg *page = m.OpenWith({counting});
        QVERIFY(page && PictureDone(page));
        CRangeSlider *slider = page->rangeSlider();
        if (keys.isEmpty()) {
            const double s = slider->UpperBound() / (slider->width() - 26); // thumb centres 6, 19
            const QRect thumb = end ? slider->RightThumbRect() : slider->LeftThumbRect();
            Drag(slider, thumb.center().x(), (end ? 19 : 6) + qRound(to / s));
        } else {
            slider->setFocus(Qt::TabFocusReason);
            for (const int key : keys)
                QTest::keyClick(slider, key < 0 ? Qt::Key_Left : Qt::Key_Right, Qt::ShiftModifier);
        }
        const ConversionJob job = page->state().jobs.copyOut(0);
        QTRY_COMPARE(PictureRange(page).value(0), end ? job.endTime - 0.001 : job.beginTime);
        QVERIFY(PictureDone(page));
        m.ClearOutput();
        QVERIFY(m.RunBatch(page));
        const QList<double> lumas = TestMedia::FrameLumas(m.OutputDir() + "counting.3gp");
        QVERIFY(!lumas.isEmpty());
        // The frame number is read back from a lossy grey level: one off is the reading.
        const int counted = TestMedia::CountedFrame(end ? lumas.last() : lumas.first());
        QVERIFY2(qAbs(counted - frame) <= 1, qPrintable(QString::number(counted)));
    }

    // Every source that cannot be measured is named with its reason in one notice; the
    // others are added.
    void unreadableFilesAreNamed_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<int>("added");
        QTest::addColumn<QStringList>("named");
        const QString gone = m.scratch.filePath("clips/gone.avi");
        const QString unreadable = ": cannot be read as video or audio";
        QTest::newRow("a broken and a good file")
            << QStringList{broken, a} << 1 << QStringList{broken + unreadable};
        QTest::newRow("two refused among good ones")
            << QStringList{a, broken, b, gone} << 2
            << QStringList{broken + unreadable, gone + ": no such file"};
        QTest::newRow("all good") << QStringList{b, a} << 2 << QStringList{};
        for (const TestMedia::OddSource &odd : oddSources) {
            const bool good = odd.problem.isEmpty();
            QTest::newRow(qPrintable(odd.row))
                << QStringList{odd.path} << (good ? 1 : 0)
                << (good ? QStringList{} : QStringList{odd.path + ": " + odd.problem});
        }
    }
    void unreadableFilesAreNamed()
    {
        QFETCH(QStringList, chosen);
        QFETCH(int, added);
        QFETCH(QStringList, named);
        CMivartelDlg *page = Open(chosen);
        QVERIFY(page);
        QVERIFY(m.ClickAdd(page));
        QCOMPARE(page->state().jobs.count(), added);
        QCOMPARE(m.notices.size(), named.isEmpty() ? 0 : 1);
        if (named.isEmpty())
            return;
        QCOMPARE(m.notices[0].caption, QStringLiteral("Error"));
        QCOMPARE(m.notices[0].text.split('\n').mid(1), named);
    }

    // Two local files among a folder and a web address are added in order; during a batch no
    // button, key or drag changes a job.
    void dropsAndABatchInProgress()
    {
        CMivartelDlg *page = Open({a});
        QVERIFY(page);
        QVERIFY(Drop(page,
                     {QUrl::fromLocalFile(b),
                      QUrl::fromLocalFile(m.scratch.path()),
                      QUrl("https://example.org/c.mp4"),
                      QUrl::fromLocalFile(a)}));
        QTRY_COMPARE(page->state().jobs.count(), 2);
        QCOMPARE(SourcePaths(page), (QStringList{b, a}));
        QVERIFY(PictureDone(page));

        page->state().converting = 1;
        QTest::mouseClick(page->addButton(), Qt::LeftButton);
        m.SelectRow(page, 0);
        QTest::keyClick(page->jobList(), Qt::Key_Home);
        Drag(page->rangeSlider(), 6, 100);
        QTest::mouseClick(page->removeButton(), Qt::LeftButton);
        QTest::mouseClick(page->removeAllButton(), Qt::LeftButton);
        QTest::qWait(50);
        page->state().converting = 0;
        QCOMPARE(dialogs, 0);
        QCOMPARE(page->state().jobs.count(), 2);
        QCOMPARE(page->previewTrim().selectedJob(), 1);
        QCOMPARE(page->state().jobs.copyOut(1).beginTime, 0.0);
    }

    // 300 files, two of them refused: listed a few at a time while the event loop turns, in
    // the order given, with a count under the list while they come and one notice at the end.
    void manyFilesAreListedInStepsInOrder()
    {
        CMivartelDlg *page = Open();
        QVERIFY(page);
        QVERIFY(QDir().mkpath(m.scratch.filePath("many")));
        QStringList files;
        for (int i = 0; i < 300; ++i) {
            files << m.scratch.filePath(QStringLiteral("many/%1.avi").arg(i));
            QVERIFY(QFileInfo::exists(files.last()) || QFile::link(a, files.last()));
        }
        files[120] = broken;
        files[240] = m.scratch.filePath("many/gone.avi");
        QStringList listed = files;
        listed.removeAt(240);
        listed.removeAt(120);

        QList<int> seen; // the job count at each turn of the event loop
        QTimer turns;
        connect(&turns, &QTimer::timeout, this, [&] { seen << page->state().jobs.count(); });
        turns.start(0);
        page->sources().AddSourcePaths(files);
        QCOMPARE(page->state().jobs.count(), 0);
        QLabel *count = page->sources().queue().countLabel();
        QVERIFY(count->isVisible());
        QCOMPARE(count->text(), QStringLiteral("Adding files: 300 to go"));
        QVERIFY(m.Listed(page));
        turns.stop();

        QCOMPARE(SourcePaths(page), listed);
        QVERIFY(!count->isVisible());
        QSet<int> between;
        for (const int jobs : seen)
            if (jobs > 0 && jobs < listed.size())
                between << jobs;
        QVERIFY2(between.size() >= 3, qPrintable(QString::number(between.size())));
        QCOMPARE(page->previewTrim().selectedJob(), listed.size() - 1);
        QCOMPARE(m.notices.size(), 1);
        QCOMPARE(m.notices[0].caption, QStringLiteral("Error"));
        QCOMPARE(m.notices[0].text.split('\n').mid(1),
                 (QStringList{broken + ": cannot be read as video or audio",
                              files[240] + ": no such file"}));
    }

    // Files that come while a batch runs (still being added when Start was pressed, or
    // dropped meanwhile) wait, counted, and are listed after it in the order they came.
    void filesArrivingDuringABatchWaitForItsEnd()
    {
        const QString shortClip = m.Clip("short", 1);
        CMivartelDlg *page = m.OpenWith({shortClip});
        QVERIFY(page);
        QLabel *count = page->sources().queue().countLabel();
        int mostJobs = 0;
        QString countDuringBatch;
        const auto dropDuringTheBatch = [&] {
            if (!page->converting())
                return;
            if (countDuringBatch.isEmpty()) {
                Drop(page, {QUrl::fromLocalFile(sound)});
                countDuringBatch = count->isVisible() ? count->text() : QStringLiteral("hidden");
            }
            mostJobs = std::max(mostJobs, page->state().jobs.count());
        };
        const auto addThenStart = [&] {
            page->sources().AddSourcePaths({b, a});
            // Before the event loop has had a turn to list them.
            page->StartConverting();
        };
        m.WhileRunning(addThenStart, dropDuringTheBatch);

        QCOMPARE(mostJobs, 1);
        QCOMPARE(countDuringBatch, QStringLiteral("Files to add when converting ends: 3"));
        QVERIFY(m.Listed(page));
        QCOMPARE(SourcePaths(page), (QStringList{shortClip, b, a, sound}));
        QCOMPARE(page->state().jobs.copyOut(0).finished, 1);
        QCOMPARE(m.notices.size(), 1);
        QCOMPARE(m.notices[0].caption, QStringLiteral("Information"));
    }

    // The dialog lists media files whatever the letter case of their extension.
    void dialogListsMediaInAnyLetterCase()
    {
        QTemporaryDir folder;
        for (const char *name : {"VIDEO.MP4", "clip.Mkv", "song.mp3", "notes.txt"})
            QVERIFY(QFile(folder.filePath(name)).open(QIODevice::WriteOnly));
        SourceFileDialog dialog(nullptr);
        dialog.setDirectory(folder.path());
        QCOMPARE(dialog.selectedNameFilter(), SourceFileDialog::Filters().first());
        QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFiles);
        dialog.show();
        auto *view = dialog.findChild<QListView *>("listView");
        QVERIFY(view);
        const auto shown = [view] {
            QStringList names;
            for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
                names << view->model()->index(r, 0, view->rootIndex()).data().toString();
            names.sort(Qt::CaseInsensitive);
            return names;
        };
        QTRY_COMPARE(shown(), (QStringList{"clip.Mkv", "song.mp3", "VIDEO.MP4"}));
        dialog.selectNameFilter(SourceFileDialog::Filters().last());
        QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 4);
    }
};

QTEST_MAIN(TestPageSources)
#include "tst_pagesources.moc"
