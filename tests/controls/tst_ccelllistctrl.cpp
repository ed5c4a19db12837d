#include "controls/ccelllistctrl.h"
#include "controls/cellinfoprovider.h"
#include "engine/cellrepainter.h"
#include "page/joblistcolumns.h"
#include "support/controlwindow.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <functional>

namespace {

// Answers each request with `fill` and keeps a copy of every record as it arrived.
class Provider : public CellInfoProvider
{
public:
    std::function<void(CellInfo &)> fill;
    QList<CellInfo> requests;

    void GetCellInfo(CellInfo &info) override
    {
        requests.append(info);
        if (fill)
            fill(info);
    }
    QList<QPair<int, int>> Cells() const
    {
        QList<QPair<int, int>> cells;
        for (const CellInfo &info : requests)
            cells.append({info.row, info.column});
        return cells;
    }
};

// The smallest rectangle of pixels in `area` that differ from `background`.
QRect Ink(const QImage &image, const QRect &area, QRgb background)
{
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) != background)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

} // namespace

class TestCCellListCtrl : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void requestsComeResetOncePerCell();
    void repaintCellsAsksForJustThoseCells();
    void progressBarFill_data();
    void progressBarFill();
    void textChangesColourWhereTheFillEnds();
    void textIsAlignedAndEllipsised();
    void ampersandShowsAsItself();
    void selectionColourFollowsFocus();
    void imageSitsBeforeTheText();
    void mouseAndKeys();
    void rowCountAndSelectRow();

private:
    QImage Shot() { return m_list->viewport()->grab().toImage(); }

    QWidget *m_window = nullptr;
    QLineEdit *m_other = nullptr;
    CCellListCtrl *m_list = nullptr;
    Provider m_provider;
};

void TestCCellListCtrl::init()
{
    m_provider = Provider();
    m_window = new QWidget;
    auto *layout = new QVBoxLayout(m_window);
    m_other = new QLineEdit(m_window);
    m_list = new CCellListCtrl(&m_provider, m_window);
    layout->addWidget(m_other);
    layout->addWidget(m_list);
    InsertJobListColumns(*m_list);
    m_window->resize(640, 300);
    QVERIFY(ControlWindow::ShowWithKeyboardOn(m_window, m_other));
}

void TestCCellListCtrl::cleanup()
{
    delete m_window;
}

void TestCCellListCtrl::requestsComeResetOncePerCell()
{
    m_list->SetItemCount(50);
    m_list->SelectRow(2);
    // The provider scribbles over every field, so each request must start from a reset.
    m_provider.fill = [](CellInfo &info) {
        info.text = QStringLiteral("x");
        info.noHighlight = 1;
        info.imageIndex = 3;
        info.imagePlainBack = 0;
        info.imageCentered = 1;
        info.imageSelectedStyle = 0;
        info.progressMax = 7;
        info.progressPos = 9;
        info.progressColor = info.progressTextColor = info.textColor = info.backColor
            = info.hotTextColor = info.selectedTextColor = info.selectedBackColor
            = info.selectedBackColorNoFocus = Rgb(1, 2, 3);
        info.progressEdge = 0;
        info.selected = info.hot = 1;
    };
    Shot();
    const int firstRow = m_list->rowAt(0);
    const int lastRow = m_list->rowAt(m_list->viewport()->height() - 1);
    QCOMPARE(firstRow, 0);
    QVERIFY(lastRow > 2);

    QList<QPair<int, int>> expected;
    for (int row = firstRow; row <= lastRow; ++row)
        for (int column = 0; column < 5; ++column)
            expected.append({row, column});
    QCOMPARE(m_provider.Cells(), expected);

    const CellInfo reset;
    for (const CellInfo &info : std::as_const(m_provider.requests)) {
        QVERIFY(info.text.isEmpty());
        QCOMPARE(info.noHighlight, reset.noHighlight);
        QCOMPARE(info.imageIndex, reset.imageIndex);
        QCOMPARE(info.imagePlainBack, reset.imagePlainBack);
        QCOMPARE(info.imageCentered, reset.imageCentered);
        QCOMPARE(info.imageSelectedStyle, reset.imageSelectedStyle);
        QCOMPARE(info.progressMax, reset.progressMax);
        QCOMPARE(info.progressPos, reset.progressPos);
        QCOMPARE(info.progressEdge, reset.progressEdge);
        for (ColorRef color : {info.progressColor,
                               info.progressTextColor,
                               info.textColor,
                               info.backColor,
                               info.hotTextColor,
                               info.selectedTextColor,
                               info.selectedBackColor,
                               info.selectedBackColorNoFocus})
            QCOMPARE(color, CLR_DEFAULT);
        QCOMPARE(info.hot, quint8(0));
        QVERIFY(info.imageList == nullptr);
        // The whole selected row, in every column, whether or not the list has the focus.
        QCOMPARE(info.selected, quint8(info.row == 2 ? 1 : 0));
    }
}

void TestCCellListCtrl::repaintCellsAsksForJustThoseCells()
{
    m_list->SetItemCount(100000);
    QTRY_VERIFY(!m_provider.requests.isEmpty());
    QTest::qWait(50);
    const int lastVisible = m_list->rowAt(m_list->viewport()->height() - 1);
    QVERIFY(lastVisible > 3);

    m_provider.requests.clear();
    m_list->RepaintCells(3, 3, JobColumn::Progress);
    QTRY_COMPARE(m_provider.Cells(), (QList<QPair<int, int>>{{3, JobColumn::Progress}}));

    // Only the rows on screen, and only that column.
    m_provider.requests.clear();
    m_list->RepaintCells(lastVisible - 1, 90000, JobColumn::EndTime);
    QTRY_COMPARE(m_provider.Cells(),
                 (QList<QPair<int, int>>{{lastVisible - 1, JobColumn::EndTime},
                                         {lastVisible, JobColumn::EndTime}}));

    m_provider.requests.clear();
    m_list->RepaintCells(lastVisible + 1, 90000, JobColumn::Progress);
    m_list->RepaintCells(0, 3, 7);
    m_list->DeleteAllItems();
    QTest::qWait(50);
    m_provider.requests.clear();
    m_list->RepaintCells(0, 0, JobColumn::Progress);
    QTest::qWait(50);
    QVERIFY(m_provider.requests.isEmpty());
}

void TestCCellListCtrl::progressBarFill_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("edge");
    QTest::addColumn<int>("innerLeft");
    QTest::addColumn<int>("filled");
    // The Progress cell starts at 340 and is 243 wide: the bar 341..580, inside its sunken
    // edge 343..578 (236 pixels).
    QTest::newRow("empty") << 0 << 100 << 10 << 343 << 0;
    QTest::newRow("37 %") << 37 << 100 << 10 << 343 << 87;
    QTest::newRow("a third") << 1 << 3 << 10 << 343 << 78;
    QTest::newRow("full") << 100 << 100 << 10 << 343 << 236;
    QTest::newRow("beyond") << 250 << 100 << 10 << 343 << 236;
    QTest::newRow("no edge") << 50 << 100 << 0 << 341 << 120;
}

void TestCCellListCtrl::progressBarFill()
{
    QFETCH(int, position);
    QFETCH(int, maximum);
    QFETCH(int, edge);
    QFETCH(int, innerLeft);
    QFETCH(int, filled);
    m_list->SetItemCount(3);
    m_provider.fill = [&](CellInfo &info) {
        info.backColor = Rgb(0, 0, 0);
        info.progressColor = Rgb(255, 0, 0);
        if (info.column == JobColumn::Progress) {
            info.progressMax = maximum;
            info.progressPos = position;
            info.progressEdge = edge;
        }
    };
    const QImage shot = Shot();
    const QRect cell = m_list->CellRect(1, JobColumn::Progress);
    QCOMPARE(cell.left(), 340);
    const int y = cell.center().y();
    const int innerWidth = edge ? 236 : 240;
    int red = 0;
    for (int x = innerLeft; x < innerLeft + innerWidth; ++x) {
        const QRgb pixel = shot.pixel(x, y);
        QVERIFY2(pixel == qRgb(255, 0, 0) || pixel == qRgb(0, 0, 0),
                 qPrintable(QString::number(x)));
        if (pixel == qRgb(255, 0, 0)) {
            QCOMPARE(x, innerLeft + red); // one run from the left
            ++red;
        }
    }
    QCOMPARE(red, filled);
    // A sunken edge is drawn in the palette's shades, neither fill nor background.
    if (edge)
        QVERIFY(shot.pixel(341, y) != qRgb(0, 0, 0) && shot.pixel(341, y) != qRgb(255, 0, 0));
    QCOMPARE(shot.pixel(340, y), qRgb(0, 0, 0)); // the cell's own margin
}

void TestCCellListCtrl::textChangesColourWhereTheFillEnds()
{
    m_list->SetItemCount(2);
    m_provider.fill = [](CellInfo &info) {
        if (info.column != JobColumn::Progress)
            return;
        info.text = QString(60, QLatin1Char('M'));
        info.progressMax = 100;
        info.progressPos = 50;
        info.backColor = Rgb(0, 0, 0);
        info.progressColor = Rgb(255, 0, 0);
        info.progressTextColor = Rgb(0, 0, 255);
        info.textColor = Rgb(0, 255, 0);
    };
    const QImage shot = Shot();
    const QRect cell = m_list->CellRect(0, JobColumn::Progress);
    const int fillEnd = 343 + 118;
    bool blueText = false;
    bool greenText = false;
    for (int y = cell.top() + 3; y <= cell.bottom() - 3; ++y) {
        for (int x = 343; x < 579; ++x) {
            const QColor pixel = shot.pixelColor(x, y);
            if (x < fillEnd) {
                QVERIFY2(pixel.green() < 40, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
                blueText |= pixel.blue() > 160;
            } else {
                QVERIFY2(pixel.blue() < 40 && pixel.red() < 40,
                         qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
                greenText |= pixel.green() > 160;
            }
        }
    }
    QVERIFY(blueText);
    QVERIFY(greenText);
}

void TestCCellListCtrl::textIsAlignedAndEllipsised()
{
    m_list->SetItemCount(3);
    const QString longText = QStringLiteral("00:00:00 and a long tail MMMM");
    m_provider.fill = [&](CellInfo &info) {
        info.backColor = Rgb(255, 255, 255);
        info.textColor = Rgb(0, 0, 0);
        if (info.row == 0 && info.column <= JobColumn::BeginTime)
            info.text = QStringLiteral("12:34");
        else if (info.row == 1)
            info.text = longText;
    };
    const QImage shot = Shot();
    const QRgb white = qRgb(255, 255, 255);
    for (int row : {0, 1}) {
        // Begin Time is centred, also when cut short.
        const QRect cell = m_list->CellRect(row, JobColumn::BeginTime);
        const QRect ink = Ink(shot, cell, white);
        QVERIFY(ink.isValid());
        const int leftMargin = ink.left() - (cell.left() + 2);
        const int rightMargin = cell.right() - ink.right();
        QVERIFY2(qAbs(leftMargin - rightMargin) <= 2,
                 qPrintable(QStringLiteral("%1 %2").arg(leftMargin).arg(rightMargin)));
    }
    // Source is aligned left.
    const QRect source = Ink(shot, m_list->CellRect(0, JobColumn::Source), white);
    QVERIFY(source.left() <= 4);

    // The long text ends in dots: the last glyph is only a few pixels high and sits low.
    const QRect cell = m_list->CellRect(1, JobColumn::BeginTime);
    const QRect ink = Ink(shot, cell, white);
    QVERIFY(ink.right() < cell.right());
    const QRect lastGlyph = Ink(shot, QRect(ink.right() - 1, cell.top(), 2, cell.height()), white);
    QVERIFY2(lastGlyph.height() <= 3, qPrintable(QString::number(lastGlyph.height())));
    QVERIFY(lastGlyph.top() > ink.center().y());
    // Three dots side by side, up to the first taller glyph.
    int dots = 0;
    bool inDot = false;
    for (int x = ink.right(); x > cell.left(); --x) {
        const QRect column = Ink(shot, QRect(x, cell.top(), 1, cell.height()), white);
        if (column.isValid() && column.top() < lastGlyph.top() - 1)
            break;
        dots += column.isValid() && !inDot;
        inDot = column.isValid();
    }
    QCOMPARE(dots, 3);
}

void TestCCellListCtrl::ampersandShowsAsItself()
{
    m_list->SetItemCount(4);
    const QStringList texts
        = {QStringLiteral("&"), QStringLiteral("&&"), QStringLiteral("x"), QStringLiteral("&x")};
    m_provider.fill = [&](CellInfo &info) {
        if (info.column == JobColumn::Source)
            info.text = texts.at(info.row);
        info.backColor = Rgb(255, 255, 255);
    };
    const QImage shot = Shot();
    auto inkWidth = [&](int row) {
        return Ink(shot, m_list->CellRect(row, JobColumn::Source), qRgb(255, 255, 255)).width();
    };
    QVERIFY(inkWidth(0) > 3);
    QVERIFY(inkWidth(1) >= 2 * inkWidth(0));
    QVERIFY(inkWidth(3) >= inkWidth(2) + inkWidth(0));
}

void TestCCellListCtrl::selectionColourFollowsFocus()
{
    const QPalette palette = m_list->palette();
    const QColor base = palette.color(QPalette::Active, QPalette::Base);
    const QColor highlight = palette.color(QPalette::Active, QPalette::Highlight);
    const QColor buttonFace = palette.color(QPalette::Active, QPalette::Button);
    QVERIFY(base != buttonFace && base != highlight);

    m_list->SetItemCount(4);
    m_list->SelectRow(1);
    QVERIFY(m_list->hasFocus());
    ColorRef noFocus = CLR_DEFAULT;
    m_provider.fill = [&](CellInfo &info) {
        info.noHighlight = info.column == JobColumn::Output;
        info.selectedBackColorNoFocus = noFocus;
    };
    auto colourAt = [&](const QImage &shot, int row, int column) {
        return shot.pixelColor(m_list->CellRect(row, column).center());
    };
    QImage shot = Shot();
    QCOMPARE(colourAt(shot, 1, JobColumn::Source), highlight);
    QCOMPARE(colourAt(shot, 1, JobColumn::Progress), highlight);
    QCOMPARE(colourAt(shot, 1, JobColumn::Output), base); // noHighlight keeps it plain
    QCOMPARE(colourAt(shot, 0, JobColumn::Source), base);

    m_other->setFocus();
    QVERIFY(!m_list->hasFocus());
    shot = Shot();
    QCOMPARE(colourAt(shot, 1, JobColumn::Source), buttonFace);
    QCOMPARE(colourAt(shot, 1, JobColumn::Output), base);
    noFocus = Rgb(10, 200, 30);
    shot = Shot();
    QCOMPARE(colourAt(shot, 1, JobColumn::Source), QColor(10, 200, 30));
}

void TestCCellListCtrl::imageSitsBeforeTheText()
{
    // Left half red, right half transparent.
    QPixmap image(8, 8);
    image.fill(Qt::transparent);
    QPainter(&image).fillRect(0, 0, 4, 8, Qt::red);
    const QList<QPixmap> images{image};
    m_list->SetImageList(&images);
    m_list->SetItemCount(2);
    m_list->SelectRow(1);
    m_provider.fill = [](CellInfo &info) {
        if (info.column == JobColumn::Source) {
            info.imageIndex = 0;
            info.text = QStringLiteral("W");
        }
    };
    const QImage shot = Shot();
    QVERIFY(m_provider.requests.first().imageList == &images);
    const QColor base = m_list->palette().color(QPalette::Active, QPalette::Base);
    const QColor highlight = m_list->palette().color(QPalette::Active, QPalette::Highlight);
    for (int row : {0, 1}) {
        const QRect cell = m_list->CellRect(row, JobColumn::Source);
        const int y = cell.top() + (cell.height() - 8) / 2 + 4;
        // One pixel in from the cell's edge; a selected row blends a quarter of its colour in.
        const QColor red = shot.pixelColor(cell.left() + 1, y);
        const QColor expected = row == 0 ? QColor(Qt::red)
                                         : QColor((255 * 3 + highlight.red()) / 4,
                                                  highlight.green() / 4,
                                                  highlight.blue() / 4);
        QVERIFY2(qAbs(red.red() - expected.red()) <= 2 && qAbs(red.green() - expected.green()) <= 2
                     && qAbs(red.blue() - expected.blue()) <= 2,
                 qPrintable(red.name()));
        QCOMPARE(shot.pixelColor(cell.left() + 7, y), base); // the plain background behind it
    }
    const QRect cell = m_list->CellRect(0, JobColumn::Source);
    const QRect ink = Ink(shot, cell.adjusted(9, 0, 0, 0), base.rgb());
    QVERIFY(ink.left() >= cell.left() + 11);
}

void TestCCellListCtrl::mouseAndKeys()
{
    m_list->SetItemCount(10);
    QSignalSpy clicks(m_list, &CCellListCtrl::cellClicked);
    QSignalSpy doubleClicks(m_list, &CCellListCtrl::cellDoubleClicked);
    QWidget *viewport = m_list->viewport();
    auto at = [&](int row) { return m_list->CellRect(row, JobColumn::Output).center(); };
    auto selectedRows = [&] {
        QList<int> rows;
        for (const QModelIndex &index : m_list->selectionModel()->selectedRows())
            rows.append(index.row());
        return rows;
    };

    QTest::mouseClick(viewport, Qt::LeftButton, {}, at(3));
    QCOMPARE(clicks.takeFirst(), (QList<QVariant>{3, QVariant::fromValue(Qt::LeftButton)}));
    QCOMPARE(m_list->GetSelectionMark(), 3);
    QCOMPARE(selectedRows(), QList<int>{3});

    // Below the last row: the parent hears of it and still finds the mark on the row.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(20, viewport->height() - 3));
    QCOMPARE(clicks.takeFirst().at(0).toInt(), -1);
    QCOMPARE(m_list->GetSelectionMark(), 3);

    // Dragging with the button held selects nothing new.
    QTest::mousePress(viewport, Qt::LeftButton, {}, at(1));
    QTest::mouseMove(viewport, at(5));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at(5));
    QCOMPARE(selectedRows(), QList<int>{1});

    QTest::mouseClick(viewport, Qt::RightButton, {}, at(4));
    QCOMPARE(m_list->GetSelectionMark(), 4);
    QTest::mouseDClick(
        m_window->windowHandle(), Qt::LeftButton, {}, viewport->mapTo(m_window, at(6)));
    QCOMPARE(doubleClicks.size(), 1);
    QCOMPARE(doubleClicks.at(0).at(0).toInt(), 6);
    QCOMPARE(m_list->GetSelectionMark(), 6);
    clicks.clear();

    QTest::keyClick(m_list, Qt::Key_Down);
    QCOMPARE(selectedRows(), QList<int>{7});
    QCOMPARE(m_list->GetSelectionMark(), 7);
    QVERIFY(clicks.isEmpty());
}

void TestCCellListCtrl::rowCountAndSelectRow()
{
    // Ten and a half rows on screen.
    const int rowHeight = m_list->verticalHeader()->defaultSectionSize();
    m_list->setFixedHeight(m_list->horizontalHeader()->height() + 2 * m_list->frameWidth()
                           + rowHeight * 21 / 2);
    m_list->SetItemCount(1000);
    QTRY_COMPARE(m_list->viewport()->height() % rowHeight, rowHeight / 2);
    m_list->SelectRow(5);
    m_list->SetItemCount(1001);
    QCOMPARE(m_list->GetSelectionMark(), 5);
    QVERIFY(m_list->selectionModel()->isRowSelected(5, {}));

    m_list->SelectRow(10); // partly on screen: no scrolling
    QCOMPARE(m_list->verticalScrollBar()->value(), 0);
    QVERIFY(m_list->hasFocus());
    m_other->setFocus();
    m_list->SelectRow(600);
    QVERIFY(m_list->hasFocus());
    QVERIFY(m_list->viewport()->rect().contains(m_list->CellRect(600, 0).center()));
    QVERIFY(!m_list->selectionModel()->isRowSelected(5, {}));

    m_list->DeleteAllItems();
    QCOMPARE(m_list->GetItemCount(), 0);
    QCOMPARE(m_list->GetSelectionMark(), -1);
    m_list->SelectRow(0); // nothing to select
    QCOMPARE(m_list->GetSelectionMark(), -1);
}

QTEST_MAIN(TestCCellListCtrl)
#include "tst_ccelllistctrl.moc"
