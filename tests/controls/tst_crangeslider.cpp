#include "controls/crangeslider.h"
#include "support/controlwindow.h"

#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

namespace {

using Notice = QPair<int, int>; // wParam, lParam
using Notices = QList<Notice>;

// A page with a plain background of a chosen colour, so that the snapshot can be seen.
class Page : public QWidget
{
public:
    QColor background = QColor(10, 120, 30);

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), background); }
};

Notices Take(QSignalSpy &spy)
{
    Notices notices;
    for (const QList<QVariant> &args : std::as_const(spy))
        notices.append({args.at(0).toInt(), args.at(1).toInt()});
    spy.clear();
    return notices;
}

QRgb Rgb(int r, int g, int b)
{
    return qRgb(r, g, b);
}

} // namespace

class TestCRangeSlider : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void setBoundsAndPositionsClamp();
    void paintsImagesOverFrozenBackground();
    void dragLeftThumb();
    void dragRightThumb();
    void dragMiddleBarKeepsWidth();
    void clicksOffThePartsStartNoDrag();
    void doubleClickStartsNoDrag();
    void arrowKeys();
    void emptyRangeAndNarrowControl();

private:
    Page *m_page = nullptr;
    CRangeSlider *m_slider = nullptr;
    QLineEdit *m_other = nullptr;
};

// 226 pixels wide: a track of 200 pixels, so 0..100 gives half a unit per pixel;
// positions 20..60 put the thumbs at 40 and 120 + 13.
void TestCRangeSlider::init()
{
    m_page = new Page;
    m_page->resize(300, 80);
    m_other = new QLineEdit(m_page);
    m_other->setGeometry(10, 40, 100, 24);
    m_slider = new CRangeSlider(m_page);
    m_slider->setGeometry(10, 10, 226, 20);
    m_slider->SetBounds(0, 100);
    m_slider->SetPositions(20, 60);
    QVERIFY(ControlWindow::ShowWithKeyboardOn(m_page, m_other));
    QTRY_VERIFY(!m_slider->LeftThumbRect().isEmpty());
    QCOMPARE(m_slider->LeftThumbRect(), QRect(40, 0, 13, 20));
    QCOMPARE(m_slider->RightThumbRect(), QRect(133, 0, 13, 20));
}

void TestCRangeSlider::cleanup()
{
    delete m_page;
}

void TestCRangeSlider::setBoundsAndPositionsClamp()
{
    QSignalSpy spy(m_slider, &CRangeSlider::rangeChanged);
    m_slider->SetBounds(10, 2);
    QCOMPARE(m_slider->LowerBound(), 2.0);
    QCOMPARE(m_slider->UpperBound(), 10.0);
    // 20..60 lies above the new range: the right end comes down, then the left follows it.
    QCOMPARE(Take(spy), (Notices{{1, 0}, {0, 0}}));
    QCOMPARE(m_slider->LeftPos(), 10.0);

    m_slider->SetPositions(7, 4); // inside the bounds, reversed: kept so
    QVERIFY(spy.isEmpty());
    QCOMPARE(m_slider->LeftPos(), 7.0);
    QCOMPARE(m_slider->RightPos(), 4.0);

    // The parent hears of both clamps before SetPositions returns.
    m_slider->SetPositions(-5, 1);
    QCOMPARE(Take(spy), (Notices{{0, 0}, {1, 0}}));
    double left = 0, right = 0;
    m_slider->GetPositions(left, right);
    QCOMPARE(left, 2.0);
    QCOMPARE(right, 2.0);

    m_slider->SetPositions(3, 50);
    QCOMPARE(Take(spy), (Notices{{1, 0}}));
    QCOMPARE(m_slider->RightPos(), 10.0);
}

void TestCRangeSlider::paintsImagesOverFrozenBackground()
{
    QImage shot = m_slider->grab().toImage();
    // Track rows at a column outside the thumbs.
    QCOMPARE(shot.pixel(5, 3), Rgb(128, 130, 132));
    QCOMPARE(shot.pixel(5, 8), Rgb(215, 215, 215));
    QCOMPARE(shot.pixel(5, 12), Rgb(128, 130, 132));
    QCOMPARE(shot.pixel(5, 13), Rgb(255, 255, 255));
    // The bar from pL + 12 over pR - pL + 2 pixels, darkest in its fifth row.
    QCOMPARE(shot.pixel(52, 9), Rgb(92, 162, 255));
    QCOMPARE(shot.pixel(133, 5), Rgb(136, 199, 255));
    QCOMPARE(shot.pixel(90, 11), Rgb(133, 196, 255));
    QCOMPARE(shot.pixel(134, 9), Rgb(240, 240, 240)); // right thumb's box, past the bar
    // The brackets: opening on the left thumb, closing (mirrored) on the right one.
    QCOMPARE(shot.pixel(40 + 4, 8), Rgb(32, 32, 32));
    QCOMPARE(shot.pixel(133 + 8, 8), Rgb(32, 32, 32));
    // Above and below the track the page shows through.
    QCOMPARE(shot.pixel(100, 0), m_page->background.rgb());
    QCOMPARE(shot.pixel(100, 17), m_page->background.rgb());

    // A later change of the page under the slider does not show through.
    m_page->background = Qt::red;
    m_page->update();
    m_slider->SetPositions(30, 40);
    shot = m_slider->grab().toImage();
    QCOMPARE(shot.pixel(200, 0), QColor(10, 120, 30).rgb());
    QCOMPARE(shot.pixel(200, 17), QColor(10, 120, 30).rgb());
}

void TestCRangeSlider::dragLeftThumb()
{
    QSignalSpy spy(m_slider, &CRangeSlider::rangeChanged);
    // Grabbed 4 pixels right of its centre (46): the offset is kept while dragging.
    QTest::mousePress(m_slider, Qt::LeftButton, {}, QPoint(50, 8));
    QVERIFY(m_slider->hasFocus());
    QTest::mouseMove(m_slider, QPoint(60, 8));
    QCOMPARE(m_slider->LeftPos(), 25.0); // (56 - 6) * 0.5
    QTest::mouseMove(m_slider, QPoint(210, 8));
    QCOMPARE(m_slider->LeftPos(), 60.0); // stops at the right thumb
    QTest::mouseMove(m_slider, QPoint(0, 8));
    QCOMPARE(m_slider->LeftPos(), 0.0); // and at the lower bound
    QCOMPARE(m_slider->RightPos(), 60.0);
    QTest::mouseRelease(m_slider, Qt::LeftButton, {}, QPoint(0, 8));
    QCOMPARE(Take(spy), (Notices{{0, 0}, {0, 0}, {0, 0}, {0, 1}}));
    QTRY_COMPARE(m_slider->LeftThumbRect().left(), 0);
}

void TestCRangeSlider::dragRightThumb()
{
    QSignalSpy spy(m_slider, &CRangeSlider::rangeChanged);
    QTest::mousePress(m_slider, Qt::LeftButton, {}, QPoint(139, 8)); // its centre
    QTest::mouseMove(m_slider, QPoint(149, 8));
    QCOMPARE(m_slider->RightPos(), 65.0); // (149 - 19) * 0.5
    QTest::mouseMove(m_slider, QPoint(400, 8));
    QCOMPARE(m_slider->RightPos(), 100.0); // stops at the upper bound
    QTest::mouseMove(m_slider, QPoint(410, 8));
    QCOMPARE(m_slider->RightPos(), 100.0); // unchanged: wParam 0
    QTest::mouseMove(m_slider, QPoint(5, 8));
    QCOMPARE(m_slider->RightPos(), 20.0); // stops at the left thumb
    QTest::mouseRelease(m_slider, Qt::LeftButton, {}, QPoint(5, 8));
    QCOMPARE(Take(spy), (Notices{{1, 0}, {1, 0}, {0, 0}, {1, 0}, {1, 1}}));
}

void TestCRangeSlider::dragMiddleBarKeepsWidth()
{
    QSignalSpy spy(m_slider, &CRangeSlider::rangeChanged);
    // The middle area runs from 54 to 131; its centre is 93.
    QTest::mousePress(m_slider, Qt::LeftButton, {}, QPoint(93, 8));
    QTest::mouseMove(m_slider, QPoint(103, 8));
    QCOMPARE(m_slider->LeftPos(), 25.0); // (103 - 13) * 0.5 - 20
    QCOMPARE(m_slider->RightPos(), 65.0);
    QTest::mouseMove(m_slider, QPoint(2, 8));
    QCOMPARE(m_slider->LeftPos(), 0.0);
    QCOMPARE(m_slider->RightPos(), 40.0);
    QTest::mouseMove(m_slider, QPoint(500, 8));
    QCOMPARE(m_slider->LeftPos(), 60.0);
    QCOMPARE(m_slider->RightPos(), 100.0);
    QTest::mouseRelease(m_slider, Qt::LeftButton, {}, QPoint(500, 8));
    QCOMPARE(Take(spy), (Notices{{2, 0}, {2, 0}, {2, 0}, {2, 1}}));
}

void TestCRangeSlider::clicksOffThePartsStartNoDrag()
{
    QSignalSpy spy(m_slider, &CRangeSlider::rangeChanged);
    // Left of the left thumb, the column just right of it, the one just left of the right
    // thumb, and right of the right thumb.
    for (int x : {20, 53, 132, 200}) {
        m_other->setFocus();
        QTest::mousePress(m_slider, Qt::LeftButton, {}, QPoint(x, 8));
        QVERIFY2(m_slider->hasFocus(), qPrintable(QString::number(x)));
        QTest::mouseMove(m_slider, QPoint(x + 30, 8));
        QTest::mouseRelease(m_slider, Qt::LeftButton, {}, QPoint(x + 30, 8));
        QVERIFY2(spy.isEmpty(), qPrintable(QString::number(x)));
    }
    QCOMPARE(m_slider->LeftPos(), 20.0);
    QCOMPARE(m_slider->RightPos(), 60.0);
    // The other buttons start nothing either.
    QTest::mousePress(m_slider, Qt::RightButton, {}, QPoint(46, 8));
    QTest::mouseMove(m_slider, QPoint(80, 8));
    QTest::mouseRelease(m_slider, Qt::RightButton, {}, QPoint(80, 8));
    QVERIFY(spy.isEmpty());
}

void TestCRangeSlider::doubleClickStartsNoDrag()
{
    QSignalSpy spy(m_slider, &CRangeSlider::rangeChanged);
    // Through the window system, as a user's double click arrives: press, release, double
    // click, release. A drag started by the double click would end with a second notice.
    QTest::mouseDClick(
        m_page->windowHandle(), Qt::LeftButton, {}, m_slider->mapTo(m_page, QPoint(46, 8)));
    QCOMPARE(Take(spy), (Notices{{0, 1}}));
    QCOMPARE(m_slider->LeftPos(), 20.0);
}

void TestCRangeSlider::arrowKeys()
{
    QSignalSpy spy(m_slider, &CRangeSlider::rangeChanged);
    m_slider->setFocus();
    QTest::keyClick(m_slider, Qt::Key_Right);
    QCOMPARE(m_slider->LeftPos(), 20.5);
    QCOMPARE(m_slider->RightPos(), 60.5);
    QTest::keyClick(m_slider, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(m_slider->LeftPos(), 20.5);
    QCOMPARE(m_slider->RightPos(), 61.0);
    QTest::keyClick(m_slider, Qt::Key_Left);
    QCOMPARE(m_slider->LeftPos(), 20.0);
    QCOMPARE(m_slider->RightPos(), 60.5);
    // Ctrl moves the left end alone; Ctrl with Shift is not the slider's.
    QTest::keyClick(m_slider, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(m_slider->LeftPos(), 20.5);
    QCOMPARE(m_slider->RightPos(), 60.5);
    QTest::keyClick(m_slider, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m_slider->LeftPos(), 20.5);
    QCOMPARE(Take(spy), (Notices{{2, 0}, {1, 0}, {2, 0}, {0, 0}}));
    // The left end stops at the right one.
    m_slider->SetPositions(60, 60.5);
    QTest::keyClick(m_slider, Qt::Key_Right, Qt::ControlModifier);
    QTest::keyClick(m_slider, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(m_slider->LeftPos(), 60.5);
    QCOMPARE(m_slider->RightPos(), 60.5);
    Take(spy);

    // At the end of the track nothing moves, but the parent still hears of the key.
    m_slider->SetPositions(30, 100);
    QTest::keyClick(m_slider, Qt::Key_Right);
    QTest::keyClick(m_slider, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(m_slider->LeftPos(), 30.0);
    QCOMPARE(m_slider->RightPos(), 100.0);
    QCOMPARE(Take(spy), (Notices{{2, 0}, {1, 0}}));
    // Shift+Left cannot pull the right end past the left one.
    m_slider->SetPositions(30, 30);
    QTest::keyClick(m_slider, Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(m_slider->RightPos(), 30.0);
    QCOMPARE(Take(spy), (Notices{{1, 0}}));
}

void TestCRangeSlider::emptyRangeAndNarrowControl()
{
    QSignalSpy spy(m_slider, &CRangeSlider::rangeChanged);
    m_slider->SetBounds(5, 5);
    QCOMPARE(Take(spy), (Notices{{1, 0}, {0, 0}}));
    QImage shot = m_slider->grab().toImage();
    QCOMPARE(m_slider->LeftThumbRect(), QRect(0, 0, 13, 20));
    QCOMPARE(m_slider->RightThumbRect(), QRect(13, 0, 13, 20));
    QCOMPARE(shot.pixel(4, 8), Rgb(32, 32, 32));

    QTest::mousePress(m_slider, Qt::LeftButton, {}, QPoint(19, 8));
    QTest::mouseMove(m_slider, QPoint(150, 8));
    QTest::mouseRelease(m_slider, Qt::LeftButton, {}, QPoint(150, 8));
    QCOMPARE(Take(spy), (Notices{{0, 0}, {1, 1}}));
    QTest::keyClick(m_slider, Qt::Key_Right);
    QVERIFY(spy.isEmpty());
    QCOMPARE(m_slider->LeftPos(), 5.0);
    QCOMPARE(m_slider->RightPos(), 5.0);

    // Narrower than the two thumbs: no track, both thumbs at the left end, nothing moves.
    m_slider->SetBounds(0, 100);
    m_slider->SetPositions(20, 60);
    m_slider->resize(20, 20);
    m_slider->grab();
    QCOMPARE(m_slider->LeftThumbRect().left(), 0);
    QCOMPARE(m_slider->RightThumbRect().left(), 13);
    QTest::mousePress(m_slider, Qt::LeftButton, {}, QPoint(6, 8));
    QTest::mouseMove(m_slider, QPoint(90, 8));
    QTest::mouseRelease(m_slider, Qt::LeftButton, {}, QPoint(90, 8));
    QTest::keyClick(m_slider, Qt::Key_Left);
    QCOMPARE(m_slider->LeftPos(), 20.0);
    QCOMPARE(m_slider->RightPos(), 60.0);
    QCOMPARE(Take(spy), (Notices{{0, 0}, {0, 1}}));
}

QTEST_MAIN(TestCRangeSlider)
#include "tst_crangeslider.moc"
