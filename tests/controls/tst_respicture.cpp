#include "controls/cimagebutton.h"
#include "controls/crangeslider.h"
#include "controls/respicture.h"

#include <QDir>
#include <QGuiApplication>
#include <QTest>

// The pictures at a device pixel ratio of 2 (QT_SCALE_FACTOR=2, set by CTest): each has a
// twice-as-large drawing, and the controls show it rather than the small one blown up.
namespace {

// Whether every opaque pixel of `picture` appears unchanged somewhere in `shot`: an opaque
// pixel is painted as it is, whatever lies under it.
bool Shows(const QImage &shot, const QImage &picture)
{
    const QImage s = shot.convertToFormat(QImage::Format_ARGB32);
    const QImage p = picture.convertToFormat(QImage::Format_ARGB32);
    for (int oy = 0; oy + p.height() <= s.height(); ++oy) {
        for (int ox = 0; ox + p.width() <= s.width(); ++ox) {
            bool same = true;
            for (int y = 0; same && y < p.height(); ++y) {
                for (int x = 0; same && x < p.width(); ++x) {
                    const QRgb want = p.pixel(x, y);
                    same = qAlpha(want) < 255 || s.pixel(ox + x, oy + y) == want;
                }
            }
            if (same)
                return true;
        }
    }
    return false;
}

} // namespace

class TestResPicture : public QObject
{
    Q_OBJECT

private slots:
    void everyPictureHasOneTwiceItsSize()
    {
        const QStringList pictures
            = QDir(":/res").entryList({"*.png"}, QDir::Files).filter(QRegularExpression("^[^@]*$"));
        QVERIFY(pictures.size() >= 24);
        for (const QString &name : pictures) {
            const QImage small(":/res/" + name);
            QString largeName = name;
            largeName.insert(largeName.lastIndexOf('.'), "@2x");
            const QImage large(":/res/" + largeName);
            QVERIFY2(!large.isNull(), qPrintable(largeName));
            QCOMPARE(large.size(), small.size() * 2);
        }
        // At 1.5 the large picture is scaled down; at 1 the small one serves.
        QCOMPARE(ResPicture(":/res/icon_138.png", 1.5).deviceIndependentSize(), QSizeF(16, 16));
        QCOMPARE(ResPicture(":/res/icon_138.png", 1.0).devicePixelRatio(), 1.0);
    }

    // A button and the slider grabbed at 2x show the large pictures' own pixels; a button
    // given only the small picture shows it blown up, which is not the same.
    void controlsShowTheLargePictures()
    {
        QCOMPARE(qApp->devicePixelRatio(), 2.0);
        QWidget page;
        page.resize(300, 60);
        auto *button = new CImageButton(&page);
        button->setGeometry(10, 10, 22, 22);
        QCOMPARE(button->SetIcons(138, 137, false), int(CImageButton::Done));
        auto *blownUp = new CImageButton(&page);
        blownUp->setGeometry(40, 10, 22, 22);
        const QIcon small(QPixmap(":/res/icon_137.png"));
        blownUp->SetIconHandles(small, small);
        auto *slider = new CRangeSlider(&page);
        slider->setGeometry(70, 10, 224, 20);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));

        const QImage rest(":/res/icon_137@2x.png");
        QCOMPARE(button->grab().devicePixelRatio(), 2.0);
        QVERIFY(Shows(button->grab().toImage(), rest));
        QVERIFY(!Shows(blownUp->grab().toImage(), rest));
        // The bar covers each thumb's inner pixel column.
        const QImage track = slider->grab().toImage();
        QVERIFY(Shows(track, QImage(":/res/bitmap_213@2x.png").copy(0, 0, 24, 34)));
        QVERIFY(Shows(track, QImage(":/res/bitmap_214@2x.png").copy(2, 0, 24, 34)));
    }
};

QTEST_MAIN(TestResPicture)
#include "tst_respicture.moc"
