#include "controls/cimagebutton.h"
#include "support/controlwindow.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

namespace {

const QColor kActive(200, 30, 30);
const QColor kRest(30, 30, 200);

QIcon SolidIcon(const QColor &color, int side = 10)
{
    QPixmap pixmap(side, side);
    pixmap.fill(color);
    return QIcon(pixmap);
}

// An icon that exists but cannot say what size it is.
class SizelessEngine : public QIconEngine
{
public:
    void paint(QPainter *, const QRect &, QIcon::Mode, QIcon::State) override {}
    QIconEngine *clone() const override { return new SizelessEngine; }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {}; }
    bool isNull() override { return false; }
};

// A parent whose own painting is a pattern the buttons can be checked against.
class PatternParent : public QWidget
{
public:
    QColor left{250, 200, 0};
    QColor right{0, 160, 80};

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(QRect(0, 0, width() / 2, height()), left);
        painter.fillRect(QRect(width() / 2, 0, width() - width() / 2, height()), right);
    }
};

// Moves the pointer there through the platform, as a user would. A move to where the pointer
// already is would deliver nothing, so it goes by way of a neighbouring point.
void MoveTo(QWidget *widget, QPoint at)
{
    QTest::mouseMove(widget, at + QPoint(1, 0));
    QTest::mouseMove(widget, at);
}

QColor PixelAt(QWidget *widget, QPoint at)
{
    return widget->grab().toImage().pixelColor(at);
}

bool ContainsColor(const QImage &image, const QColor &color)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == color)
                return true;
    return false;
}

} // namespace

class TestCImageButton : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void setterResultCodes();
    void iconShownPerState();
    void stateColoursByPixels();
    void hoverOnAndOff();
    void hoverNeverStartsDuringDrag();
    void hoverEndsOnFocusLossAndDisable();
    void grayRestIcon();
    void checkBoxMode();
    void doubleClickGivesTwoClicks();
    void iconPlacementPerLayout();
    void parentBackgroundSnapshot();
    void systemColourChangeResetsColours();
    void pageConfigurationWithProgramIcons();

private:
    // Two buttons side by side in a shown window; the first one is the one under test.
    QWidget *m_window = nullptr;
    CImageButton *m_button = nullptr;
    CImageButton *m_other = nullptr;
};

void TestCImageButton::init()
{
    m_window = new QWidget;
    m_window->resize(200, 100);
    m_button = new CImageButton(m_window);
    m_button->setGeometry(20, 20, 40, 40);
    m_other = new CImageButton(m_window);
    m_other->setGeometry(120, 20, 40, 40);
    QVERIFY(ControlWindow::ShowWithKeyboardOn(m_window, m_other));
    // The pointer starts outside both buttons.
    MoveTo(m_window, QPoint(100, 95));
}

void TestCImageButton::cleanup()
{
    delete m_window;
    m_window = nullptr;
}

void TestCImageButton::setterResultCodes()
{
    QCOMPARE(m_button->SetLayout(4, true), int(CImageButton::BadLayout));
    QCOMPARE(m_button->SetLayout(3, true), int(CImageButton::Done));
    QCOMPARE(m_button->SetLayout(0, true), int(CImageButton::Done));
    QCOMPARE(m_button->SetPressedShift(2, true), int(CImageButton::BadPressedStyle));
    QCOMPARE(m_button->SetPressedShift(1, true), int(CImageButton::Done));

    const QColor before = m_button->StateColor(2);
    QCOMPARE(m_button->SetStateColor(6, Qt::red, true), int(CImageButton::BadColorIndex));
    QCOMPARE(m_button->SetStateColor(5, Qt::red, true), int(CImageButton::Done));
    QCOMPARE(m_button->StateColor(2), before);
    QCOMPARE(m_button->StateColor(5), QColor(Qt::red));

    // An icon that cannot tell its size releases every icon, even the good one set before.
    m_button->SetStateColor(CImageButton::BackNormal, Qt::white, false);
    QCOMPARE(m_button->SetIconHandles(SolidIcon(kActive), QIcon()), int(CImageButton::Done));
    QCOMPARE(PixelAt(m_button, QPoint(20, 20)), kActive);
    QCOMPARE(m_button->SetIconHandles(SolidIcon(kActive), QIcon(new SizelessEngine)),
             int(CImageButton::IconUnreadable));
    QCOMPARE(PixelAt(m_button, QPoint(20, 20)), QColor(Qt::white));

    // An id without a picture leaves the button without icons, which is no failure.
    QCOMPARE(m_button->SetIcons(9999, 0, false), int(CImageButton::Done));
    QCOMPARE(PixelAt(m_button, QPoint(20, 20)), QColor(Qt::white));
}

void TestCImageButton::iconShownPerState()
{
    m_button->SetStateColor(CImageButton::BackNormal, Qt::white, false);
    m_button->SetStateColor(CImageButton::BackActive, Qt::white, false);
    m_button->SetIconHandles(SolidIcon(kActive), SolidIcon(kRest));
    // A 10 x 10 icon centred in 40 x 40 covers 15..24.
    QCOMPARE(PixelAt(m_button, QPoint(15, 15)), kRest);

    MoveTo(m_button, QPoint(30, 30));
    QTRY_VERIFY(m_button->IsHovered());
    QCOMPARE(PixelAt(m_button, QPoint(15, 15)), kActive);

    // Pressed: the active icon, moved by the pressed shift (1, 1).
    QTest::mousePress(m_button, Qt::LeftButton, {}, QPoint(30, 30));
    QImage pressed = m_button->grab().toImage();
    QCOMPARE(pressed.pixelColor(15, 15), QColor(Qt::white));
    QCOMPARE(pressed.pixelColor(16, 16), kActive);
    QCOMPARE(pressed.pixelColor(25, 25), kActive);
    QTest::mouseRelease(m_button, Qt::LeftButton, {}, QPoint(30, 30));

    MoveTo(m_window, QPoint(100, 90));
    QTRY_VERIFY(!m_button->IsHovered());
    QCOMPARE(PixelAt(m_button, QPoint(15, 15)), kRest);

    // Without a rest icon the active icon shows in every state.
    m_button->SetIconHandles(SolidIcon(kActive), QIcon());
    QCOMPARE(PixelAt(m_button, QPoint(15, 15)), kActive);
}

void TestCImageButton::stateColoursByPixels()
{
    const std::array<QColor, 6> colors = {
        QColor(10, 200, 10),   // back while hovered or pressed
        QColor(250, 250, 0),   // text while hovered or pressed
        QColor(10, 10, 120),   // back normal
        QColor(255, 255, 255), // text normal
        QColor(120, 10, 120),  // back focused
        QColor(0, 255, 255),   // text focused
    };
    for (int slot = 0; slot < 6; ++slot)
        QCOMPARE(m_button->SetStateColor(slot, colors[size_t(slot)], false), 0);
    m_button->setGeometry(0, 0, 120, 60);
    m_button->setText("WWW");
    QFont font = m_button->font();
    font.setPixelSize(30);
    font.setBold(true);
    m_button->setFont(font);
    m_button->ShowHoverBorder(false, true);

    auto check = [&](int back, int text) {
        const QImage image = m_button->grab().toImage();
        QCOMPARE(image.pixelColor(1, 1), colors[size_t(back)]);
        QVERIFY2(ContainsColor(image, colors[size_t(text)]), qPrintable(QString::number(text)));
        for (int other = 0; other < 6; ++other)
            if (other != text && other != back && other != 0 && other != 2 && other != 4)
                QVERIFY(!ContainsColor(image, colors[size_t(other)]));
    };
    check(2, 3);

    m_other->setFocus();
    m_button->setFocus();
    QTRY_VERIFY(m_button->hasFocus());
    check(4, 5);

    MoveTo(m_button, QPoint(60, 30));
    QTRY_VERIFY(m_button->IsHovered());
    check(0, 1);

    MoveTo(m_window, QPoint(190, 90));
    QTRY_VERIFY(!m_button->IsHovered());
    m_other->setFocus();
    QTRY_VERIFY(!m_button->hasFocus());
    QTest::mousePress(m_button, Qt::LeftButton, {}, QPoint(60, 30));
    // A click gives the button the focus only when it completes; while the mouse is down
    // and the pointer is over it, the button shows the pressed colours.
    check(0, 1);
    QTest::mouseRelease(m_button, Qt::LeftButton, {}, QPoint(60, 30));
}

void TestCImageButton::hoverOnAndOff()
{
    QVERIFY(!m_button->IsHovered());
    MoveTo(m_button, QPoint(5, 5));
    QTRY_VERIFY(m_button->IsHovered());
    MoveTo(m_other, QPoint(5, 5));
    QTRY_VERIFY(m_other->IsHovered());
    QVERIFY(!m_button->IsHovered());
    MoveTo(m_window, QPoint(100, 95));
    QTRY_VERIFY(!m_other->IsHovered());
}

void TestCImageButton::hoverNeverStartsDuringDrag()
{
    // A drag that began on the window passes over the button without lighting it.
    QTest::mousePress(m_window, Qt::LeftButton, {}, QPoint(5, 90));
    MoveTo(m_window, QPoint(40, 40));
    MoveTo(m_button, QPoint(22, 22));
    QTest::qWait(20);
    QVERIFY(!m_button->IsHovered());
    QTest::mouseRelease(m_window, Qt::LeftButton, {}, QPoint(40, 40));

    // A drag that began elsewhere (another program) reaches the button as moves with the
    // button held.
    QMouseEvent held(QEvent::MouseMove,
                     QPointF(20, 20),
                     m_button->mapToGlobal(QPointF(20, 20)),
                     Qt::NoButton,
                     Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(m_button, &held);
    QVERIFY(!m_button->IsHovered());

    // Pressed on the button while hovered, dragged off: hover ends; back over it with the
    // button still held: hover does not start again.
    MoveTo(m_button, QPoint(20, 20));
    QTRY_VERIFY(m_button->IsHovered());
    QTest::mousePress(m_button, Qt::LeftButton, {}, QPoint(20, 20));
    MoveTo(m_button, QPoint(80, 20));
    QTRY_VERIFY(!m_button->IsHovered());
    MoveTo(m_button, QPoint(20, 20));
    QTest::qWait(20);
    QVERIFY(!m_button->IsHovered());
    QTest::mouseRelease(m_button, Qt::LeftButton, {}, QPoint(20, 20));
}

void TestCImageButton::hoverEndsOnFocusLossAndDisable()
{
    m_button->setFocus();
    MoveTo(m_button, QPoint(20, 20));
    QTRY_VERIFY(m_button->IsHovered());
    m_other->setFocus();
    QTRY_VERIFY(!m_button->IsHovered());

    MoveTo(m_window, QPoint(100, 95));
    MoveTo(m_button, QPoint(20, 20));
    QTRY_VERIFY(m_button->IsHovered());
    m_button->setFocus();
    QTRY_VERIFY(m_button->hasFocus());
    m_button->setEnabled(false);
    QVERIFY(!m_button->IsHovered());
    // The keyboard moved on to the next tab stop.
    QTRY_VERIFY(m_other->hasFocus());
}

void TestCImageButton::grayRestIcon()
{
    QImage source(4, 1, QImage::Format_ARGB32);
    source.setPixel(0, 0, qRgba(200, 100, 50, 255));
    source.setPixel(1, 0, qRgba(0, 0, 0, 255));
    source.setPixel(2, 0, qRgba(255, 255, 255, 255));
    source.setPixel(3, 0, qRgba(10, 240, 30, 0));
    const QImage gray = CImageButton::GrayImage(source);
    // 0.299 * 200 + 0.587 * 100 + 0.114 * 50 = 124.2
    QCOMPARE(gray.pixel(0, 0), qRgba(124, 124, 124, 255));
    QCOMPARE(gray.pixel(1, 0), qRgba(0, 0, 0, 255));
    QCOMPARE(gray.pixel(2, 0), qRgba(255, 255, 255, 255));
    // 2.99 + 140.88 + 3.42 = 147.29; the transparency of the mask stays.
    QCOMPARE(qRed(gray.pixel(3, 0)), 147);
    QCOMPARE(qAlpha(gray.pixel(3, 0)), 0);

    // On the button: the rest icon made by SetIcons is the gray copy of the active one.
    m_button->SetStateColor(CImageButton::BackNormal, Qt::black, false);
    m_button->SetStateColor(CImageButton::BackActive, Qt::black, false);
    QCOMPARE(m_button->SetIcons(138, CImageButton::GrayRestIcon, false), 0);
    const QImage active(":/res/icon_138.png");
    QVERIFY(!active.isNull());
    const QImage expected = CImageButton::GrayImage(active);
    const QImage shown = m_button->grab().toImage();
    const QPoint origin((40 - active.width()) / 2, (40 - active.height()) / 2);
    // Every opaque pixel of the face, coloured in the active icon, is gray on the button.
    int colouredPixels = 0;
    for (int y = 0; y < active.height(); ++y) {
        for (int x = 0; x < active.width(); ++x) {
            const QRgb source = active.pixel(x, y);
            if (qAlpha(source) != 255 || qRed(source) == qGreen(source))
                continue;
            ++colouredPixels;
            const QRgb want = expected.pixel(x, y);
            QCOMPARE(qRed(want), qGreen(want));
            QCOMPARE(shown.pixel(origin + QPoint(x, y)) & RGB_MASK, want & RGB_MASK);
        }
    }
    QVERIFY(colouredPixels > 20);
}

void TestCImageButton::checkBoxMode()
{
    // Outside check-box mode the check state never changes.
    m_button->SetChecked(1, true);
    QCOMPARE(m_button->GetChecked(), 0);

    m_button->SetCheckBoxMode(true);
    QCOMPARE(m_button->SetCheck(1), 0);
    QCOMPARE(m_button->GetCheck(), 1);
    m_button->SetCheck(0);
    QCOMPARE(m_button->GetCheck(), 0);
    m_button->SetCheck(2); // indeterminate counts as checked
    QCOMPARE(m_button->GetCheck(), 1);
    m_button->SetCheck(3);
    QCOMPARE(m_button->GetCheck(), 0);

    // A click flips the state, and a checked button is drawn pushed in, with the active icon
    // in place (no pressed shift in this mode).
    m_button->SetStateColor(CImageButton::BackNormal, Qt::white, false);
    m_button->SetStateColor(CImageButton::BackActive, Qt::green, false);
    m_button->ShowHoverBorder(false, false);
    m_button->SetIconHandles(SolidIcon(kActive), SolidIcon(kRest));
    QSignalSpy clicks(m_button, &QAbstractButton::clicked);
    QTest::mouseClick(m_button, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(m_button->GetChecked(), 1);
    QVERIFY(m_button->hasFocus());
    MoveTo(m_window, QPoint(100, 95));
    QTRY_VERIFY(!m_button->IsHovered());
    QImage checked = m_button->grab().toImage();
    QCOMPARE(checked.pixelColor(1, 1), QColor(Qt::green));
    QCOMPARE(checked.pixelColor(15, 15), kActive);
    MoveTo(m_button, QPoint(5, 5));
    QTest::mouseClick(m_button, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(m_button->GetChecked(), 0);
    // Hovered in check-box mode, the icon stays the rest icon.
    QTRY_VERIFY(m_button->IsHovered());
    QCOMPARE(PixelAt(m_button, QPoint(15, 15)), kRest);
}

void TestCImageButton::doubleClickGivesTwoClicks()
{
    // Through the window, so that the platform makes the press, release, press (and double
    // click), release of a real double click.
    QSignalSpy clicks(m_button, &QAbstractButton::clicked);
    QTest::mouseDClick(m_window->windowHandle(), Qt::LeftButton, {}, QPoint(30, 30));
    QCOMPARE(clicks.count(), 2);
}

void TestCImageButton::iconPlacementPerLayout()
{
    m_button->setGeometry(0, 0, 60, 60);
    m_button->SetStateColor(CImageButton::BackNormal, Qt::white, false);
    m_button->SetStateColor(CImageButton::TextNormal, Qt::white, false);
    m_button->SetIconHandles(SolidIcon(kActive), QIcon());
    m_button->setText("x");

    // Above the text: centred across, 3 from the top (25..34, 3..12).
    m_button->SetLayout(CImageButton::IconAbove, true);
    QImage image = m_button->grab().toImage();
    QCOMPARE(image.pixelColor(25, 3), kActive);
    QCOMPARE(image.pixelColor(24, 3), QColor(Qt::white));
    QCOMPARE(image.pixelColor(25, 2), QColor(Qt::white));

    // Left of the text: 3 from the left edge, centred down (3..12, 25..34).
    m_button->SetLayout(CImageButton::IconLeft, true);
    image = m_button->grab().toImage();
    QCOMPARE(image.pixelColor(3, 25), kActive);
    QCOMPARE(image.pixelColor(2, 25), QColor(Qt::white));

    // Right of the text: 3 from the right edge (47..56).
    m_button->SetLayout(CImageButton::IconRight, true);
    image = m_button->grab().toImage();
    QCOMPARE(image.pixelColor(56, 25), kActive);
    QCOMPARE(image.pixelColor(57, 25), QColor(Qt::white));

    // Over the text: the top-left corner.
    m_button->SetLayout(CImageButton::IconOver, true);
    image = m_button->grab().toImage();
    QCOMPARE(image.pixelColor(0, 0), kActive);
    QCOMPARE(image.pixelColor(10, 10), QColor(Qt::white));

    // Right of the text but without text: centred across, at the top.
    m_button->setText(QString());
    m_button->SetLayout(CImageButton::IconRight, true);
    image = m_button->grab().toImage();
    QCOMPARE(image.pixelColor(25, 0), kActive);
    QCOMPARE(image.pixelColor(25, 10), QColor(Qt::white));
}

void TestCImageButton::parentBackgroundSnapshot()
{
    m_window->hide();
    PatternParent parent;
    parent.resize(100, 40);
    auto *button = new CImageButton(&parent);
    // Straddles the parent's two halves: 40..59.
    button->setGeometry(40, 10, 20, 20);
    button->SetStateColor(CImageButton::BackNormal, Qt::magenta, false);
    button->UseParentBackground(false);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));

    QImage image = button->grab().toImage();
    QCOMPARE(image.pixelColor(0, 0), parent.left);
    QCOMPARE(image.pixelColor(9, 19), parent.left);
    QCOMPARE(image.pixelColor(10, 0), parent.right);
    QCOMPARE(image.pixelColor(19, 19), parent.right);

    // The snapshot is kept until the mode is asked for again.
    parent.left = Qt::blue;
    parent.update();
    QCOMPARE(button->grab().toImage().pixelColor(0, 0), QColor(250, 200, 0));
    button->UseParentBackground(true);
    QCOMPARE(button->grab().toImage().pixelColor(0, 0), QColor(Qt::blue));
}

void TestCImageButton::systemColourChangeResetsColours()
{
    const QPalette original = QApplication::palette();
    m_button->SetStateColor(CImageButton::BackNormal, Qt::green, false);
    m_button->SetStateColor(CImageButton::TextActive, Qt::green, false);
    QPalette changed = original;
    changed.setColor(QPalette::Button, QColor(1, 2, 3));
    changed.setColor(QPalette::ButtonText, QColor(4, 5, 6));
    QApplication::setPalette(changed);
    // The widgets hear of it through a posted event.
    QTRY_COMPARE(m_button->StateColor(CImageButton::BackNormal), QColor(1, 2, 3));
    QCOMPARE(m_button->StateColor(CImageButton::TextActive), QColor(4, 5, 6));
    QCOMPARE(PixelAt(m_button, QPoint(1, 1)), QColor(1, 2, 3));
    QApplication::setPalette(original);
}

void TestCImageButton::pageConfigurationWithProgramIcons()
{
    // The main page's set-up of its Start button: rest icon over the parent, no border,
    // the active icon on hover, and the tooltip.
    m_window->hide();
    PatternParent parent;
    parent.resize(120, 80);
    auto *start = new CImageButton(&parent);
    start->setGeometry(2, 2, 55, 55);
    QCOMPARE(start->SetIcons(147, 148, false), 0);
    start->UseParentBackground(false);
    start->ShowHoverBorder(false, true);
    QCOMPARE(start->SetLayout(1, true), 0);
    start->SetTip("Start Converting", true);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    QCOMPARE(start->toolTip(), QString("Start Converting"));

    const QImage rest(":/res/icon_148.png");
    const QImage active(":/res/icon_147.png");
    QCOMPARE(rest.size(), QSize(46, 46));
    // 46 x 46 centred in 55 x 55 starts at 4, 4.
    const QPoint centre(4 + 23, 4 + 23);
    QImage shown = start->grab().toImage();
    QCOMPARE(shown.pixel(centre), rest.pixel(23, 23));
    QCOMPARE(shown.pixelColor(0, 0), parent.left);
    MoveTo(start, QPoint(27, 27));
    QTRY_VERIFY(start->IsHovered());
    shown = start->grab().toImage();
    QCOMPARE(shown.pixel(centre), active.pixel(23, 23));
    // No frame: the corner still shows the parent.
    QCOMPARE(shown.pixelColor(0, 0), parent.left);
    QCOMPARE(shown.pixelColor(54, 54), parent.left);
}

QTEST_MAIN(TestCImageButton)
#include "tst_cimagebutton.moc"
