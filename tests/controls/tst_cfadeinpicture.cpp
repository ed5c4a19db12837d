#include "controls/cfadeinpicture.h"

#include <QElapsedTimer>
#include <QTest>

namespace {

const QColor kBackground(40, 160, 90);

int Distance(QRgb a, QRgb b)
{
    return qMax(qAbs(qRed(a) - qRed(b)),
                qMax(qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b))));
}

} // namespace

class TestCFadeInPicture : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void missingBitmapPaintsNothing();
    void takesTheBitmapsSize();
    void firstStepsAreNearlyTransparent();
    void lastStepShowsTheWholeBitmap();

private:
    // What the user sees of the picture: the window's pixels where it lies.
    QImage Shown() const { return m_window->grab(m_picture->geometry()).toImage(); }

    QWidget *m_window = nullptr;
    CFadeInPicture *m_picture = nullptr;
    QImage m_bitmap;
};

void TestCFadeInPicture::init()
{
    m_window = new QWidget;
    m_window->resize(320, 260);
    m_window->setAutoFillBackground(true);
    QPalette palette = m_window->palette();
    palette.setColor(QPalette::Window, kBackground);
    m_window->setPalette(palette);
    m_picture = new CFadeInPicture(m_window);
    m_picture->setGeometry(13, 17, 50, 40);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    m_bitmap = QImage(":/res/bitmap_190.png").convertToFormat(QImage::Format_RGB32);
    QCOMPARE(m_bitmap.size(), QSize(263, 198));
}

void TestCFadeInPicture::cleanup()
{
    delete m_window;
}

void TestCFadeInPicture::missingBitmapPaintsNothing()
{
    QVERIFY(!m_picture->StartFadeIn(9999, 1));
    QCOMPARE(m_picture->size(), QSize(50, 40));
    QTest::qWait(30);
    QVERIFY(!m_picture->IsFinished());
    const QImage shown = Shown();
    for (int y = 0; y < shown.height(); y += 5)
        for (int x = 0; x < shown.width(); x += 5)
            QCOMPARE(shown.pixelColor(x, y), kBackground);
}

void TestCFadeInPicture::takesTheBitmapsSize()
{
    QVERIFY(m_picture->StartFadeIn(190, 1));
    QCOMPARE(m_picture->size(), QSize(263, 198));
    QCOMPARE(m_picture->pos(), QPoint(13, 17));
    QCOMPARE(m_picture->BitmapId(), 190);
}

void TestCFadeInPicture::firstStepsAreNearlyTransparent()
{
    // Long steps, so that each can be looked at.
    QVERIFY(m_picture->StartFadeIn(190, 300));
    // The first step is laid at once, with alpha 0: nothing of the picture yet.
    QCOMPARE(m_picture->StepsDone(), 1);
    QImage shown = Shown();
    QCOMPARE(shown.size(), m_bitmap.size());
    QCOMPARE(shown.pixelColor(0, 0), kBackground);
    QCOMPARE(shown.pixelColor(131, 99), kBackground);

    // The second, with alpha 5: the picture at 5/255 over the background.
    QTRY_COMPARE(m_picture->StepsDone(), 2);
    shown = Shown();
    const double share = 5.0 / 255.0;
    QCOMPARE(CFadeInPicture::Coverage(2), share);
    int differing = 0;
    for (int y = 0; y < shown.height(); y += 3) {
        for (int x = 0; x < shown.width(); x += 3) {
            const QRgb picture = m_bitmap.pixel(x, y);
            const QRgb mixed
                = qRgb(int(kBackground.red() * (1 - share) + qRed(picture) * share),
                       int(kBackground.green() * (1 - share) + qGreen(picture) * share),
                       int(kBackground.blue() * (1 - share) + qBlue(picture) * share));
            QVERIFY2(Distance(shown.pixel(x, y), mixed) <= 2,
                     qPrintable(QString("%1,%2").arg(x).arg(y)));
            if (shown.pixel(x, y) != kBackground.rgb())
                ++differing;
        }
    }
    // Nearly transparent, but the picture has begun to show.
    QVERIFY(differing > 0);
    QVERIFY(!m_picture->IsFinished());
}

void TestCFadeInPicture::lastStepShowsTheWholeBitmap()
{
    const int delay = 4;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(m_picture->StartFadeIn(190, delay));
    QTRY_VERIFY(m_picture->IsFinished());
    // 52 steps, each followed by its pause.
    QCOMPARE(m_picture->StepsDone(), CFadeInPicture::StepCount);
    QVERIFY(clock.elapsed() >= CFadeInPicture::StepCount * delay);
    QCOMPARE(CFadeInPicture::Coverage(CFadeInPicture::StepCount), 1.0);
    QCOMPARE(Shown(), m_bitmap);

    // Every later repaint shows the whole picture too.
    m_picture->update();
    QTest::qWait(10);
    QCOMPARE(Shown(), m_bitmap);
}

QTEST_MAIN(TestCFadeInPicture)
#include "tst_cfadeinpicture.moc"
