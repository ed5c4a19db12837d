#include "controls/ccelllistctrl.h"

#include "controls/cellinfoprovider.h"
#include "controls/celllistmodel.h"
#include "controls/focusring.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>
#include <qdrawutil.h>

namespace {

// Edge styles a provider may ask for around a bar.
constexpr int kEdgeRaised = 5;

} // namespace

CCellListCtrl::CCellListCtrl(CellInfoProvider *provider, QWidget *parent)
    : QTableView(parent)
    , m_provider(provider)
    , m_model(new CellListModel(this))
{
    setModel(m_model);
    // Copied out: the one cell record may be in use by a paint under way.
    m_model->SetAccessibleText(
        [this](int row, int column) { return QString(GetCellInfo(row, column).text).trimmed(); });
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    setMouseTracking(false);

    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);

    // Cells paint every pixel themselves, so an invalidated cell is not erased first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_Hover, false);

    connect(selectionModel(),
            &QItemSelectionModel::selectionChanged,
            this,
            [this](const QItemSelection &selected, const QItemSelection &) {
                if (!selected.isEmpty())
                    m_selectionMark = selected.indexes().first().row();
            });
    // Only the user's own moves of a scroll bar trigger actions; the list's own scrolling
    // changes the value alone.
    for (QScrollBar *bar : {verticalScrollBar(), horizontalScrollBar()})
        connect(bar, &QAbstractSlider::actionTriggered, this, [this] { m_userScrolled.start(); });
}

CCellListCtrl::~CCellListCtrl() = default;

void CCellListCtrl::InsertColumn(int column,
                                 const QString &heading,
                                 Qt::Alignment alignment,
                                 int width)
{
    column = std::clamp(column, 0, m_model->columnCount());
    m_model->InsertColumn(column, heading, alignment);
    horizontalHeader()->resizeSection(column, width);
}

int CCellListCtrl::GetColumnCount() const
{
    return m_model->columnCount();
}

void CCellListCtrl::SetItemCount(int count)
{
    m_model->SetRowCount(count);
    viewport()->update();
}

int CCellListCtrl::GetItemCount() const
{
    return m_model->rowCount();
}

void CCellListCtrl::DeleteAllItems()
{
    m_model->RemoveAllRows();
    m_selectionMark = -1;
    viewport()->update();
}

void CCellListCtrl::RedrawItems(int first, int last)
{
    const QRect rows = VisibleRowsRect(first, last);
    if (!rows.isEmpty())
        viewport()->update(rows);
}

void CCellListCtrl::SelectRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex index = m_model->index(row, 0);
    // Qt would scroll the row fully into view; part of it on screen is enough here.
    const bool autoScroll = hasAutoScroll();
    setAutoScroll(false);
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    setAutoScroll(autoScroll);
    m_selectionMark = row;
    setFocus(Qt::OtherFocusReason);
    if (!viewport()->rect().intersects(CellRect(row, 0)))
        scrollTo(index, QAbstractItemView::EnsureVisible);
}

void CCellListCtrl::ShowStartedRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    if (m_userScrolled.isValid() && m_userScrolled.elapsed() < UserScrollRespectMs)
        return;
    scrollTo(m_model->index(row, 0), QAbstractItemView::EnsureVisible);
}

void CCellListCtrl::RepaintCells(int firstRow, int lastRow, int column)
{
    if (column < 0 || column >= m_model->columnCount() || isColumnHidden(column))
        return;
    QRect cells = VisibleRowsRect(firstRow, lastRow);
    if (cells.isEmpty())
        return;
    cells.setLeft(columnViewportPosition(column));
    cells.setWidth(columnWidth(column));
    viewport()->update(cells);
}

QRect CCellListCtrl::VisibleRowsRect(int first, int last) const
{
    const int rows = m_model->rowCount();
    const int topRow = rowAt(0);
    if (rows == 0 || topRow < 0)
        return QRect();
    int bottomRow = rowAt(viewport()->height() - 1);
    if (bottomRow < 0)
        bottomRow = rows - 1;
    first = std::max(first, topRow);
    last = std::min(last, bottomRow);
    if (first > last)
        return QRect();
    const int top = rowViewportPosition(first);
    const int bottom = rowViewportPosition(last) + rowHeight(last);
    return QRect(0, top, viewport()->width(), bottom - top);
}

QRect CCellListCtrl::CellRect(int row, int column) const
{
    return QRect(columnViewportPosition(column),
                 rowViewportPosition(row),
                 columnWidth(column),
                 rowHeight(row));
}

const CellInfo &CCellListCtrl::GetCellInfo(int row, int column)
{
    m_cellInfo.Reset();
    m_cellInfo.row = row;
    m_cellInfo.column = column;
    // Full-row selection, and the selection is shown whether or not the list has the focus.
    m_cellInfo.selected = selectionModel()->isSelected(m_model->index(row, 0)) ? 1 : 0;
    // Mouse movement is swallowed, so the list never has a hot row.
    m_cellInfo.hot = 0;
    m_cellInfo.imageList = m_imageList;
    if (m_provider)
        m_provider->GetCellInfo(m_cellInfo);
    return m_cellInfo;
}

void CCellListCtrl::keyboardSearch(const QString &) {}

void CCellListCtrl::paintEvent(QPaintEvent *event)
{
    PaintCells(event);
    if (m_focusShown && hasFocus()) {
        QPainter painter(viewport());
        FocusRing::Paint(painter, *this, viewport()->rect());
    }
}

void CCellListCtrl::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    m_focusShown = FocusRing::FromKeyboard(event->reason());
    viewport()->update();
}

void CCellListCtrl::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    m_focusShown = false;
    viewport()->update();
}

void CCellListCtrl::PaintCells(const QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRegion region = event->region();

    // Beside and below the rows the list shows its window colour.
    const QRect rowsArea(-horizontalOffset(),
                         -verticalOffset(),
                         horizontalHeader()->length(),
                         verticalHeader()->length());
    for (const QRect &rect : region - QRegion(rowsArea))
        painter.fillRect(rect, palette().color(QPalette::Active, QPalette::Base));

    const int rows = m_model->rowCount();
    const QRect bounds = region.boundingRect();
    const int firstRow = rowAt(bounds.top());
    if (rows == 0 || firstRow < 0)
        return;
    int lastRow = rowAt(bounds.bottom());
    if (lastRow < 0)
        lastRow = rows - 1;
    // One request per cell that the region touches, however many rectangles it has.
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = 0; column < m_model->columnCount(); ++column) {
            if (isColumnHidden(column))
                continue;
            const QRect cell = CellRect(row, column);
            if (region.intersects(cell))
                DrawCell(painter, row, column, cell);
        }
    }
}

void CCellListCtrl::DrawCell(QPainter &painter, int row, int column, const QRect &cellRect)
{
    // A copy: the provider may be asked again (for another cell) before this one is drawn.
    const CellInfo info = GetCellInfo(row, column);
    const bool plain = info.noHighlight != 0;
    const std::optional<QColor> back = BackColor(info, plain);

    QRect textRect = cellRect;
    if (info.imageList && info.imageIndex >= 0 && info.imageIndex < info.imageList->size()
        && cellRect.width() > 0) {
        const QSize size = info.imageList->at(info.imageIndex)
                               .deviceIndependentSize()
                               .toSize()
                               .boundedTo(cellRect.size());
        const int x = info.imageCentered ? cellRect.left() + (cellRect.width() - size.width()) / 2
                                         : cellRect.left() + 1;
        const int y
            = std::max(cellRect.top(), cellRect.top() + (cellRect.height() - size.height()) / 2);
        const QRect imageRect = QRect(QPoint(x, y), size) & cellRect;
        DrawImage(painter, info, imageRect);
        textRect.setLeft(imageRect.right() + 1);
    }

    const bool hasBar = info.progressMax > 0;
    QRect barInner;
    int filledWidth = 0;
    if (hasBar) {
        const QRect bar = textRect.adjusted(1, 1, -2, -1);
        barInner = info.progressEdge != 0 ? bar.adjusted(2, 2, -2, -2) : bar;
        if (back) {
            for (const QRect &rect : QRegion(textRect) - QRegion(bar))
                painter.fillRect(rect, *back);
        }
        if (info.progressEdge != 0 && bar.width() > 0 && bar.height() > 0)
            qDrawWinPanel(&painter, bar, palette(), info.progressEdge != kEdgeRaised);
        if (const std::optional<QColor> plainBack = BackColor(info, true))
            painter.fillRect(barInner, *plainBack);
        const int innerWidth = std::max(barInner.width(), 0);
        filledWidth = info.progressPos >= info.progressMax
                          ? innerWidth
                          : int(qint64(innerWidth) * info.progressPos / info.progressMax);
        if (info.progressPos > 0 && info.progressColor != CLR_NONE)
            painter.fillRect(QRect(barInner.left(), barInner.top(), filledWidth, barInner.height()),
                             SystemColor(info.progressColor, QPalette::Highlight));
    }

    QRect area = hasBar ? barInner : textRect;
    if (info.text.isEmpty()) {
        if (!hasBar && back)
            painter.fillRect(area, *back);
        return;
    }
    // Qt shows "&" as itself unless asked for mnemonics, so the text needs no doubling.
    const int flags = int(m_model->Alignment(column)) | Qt::AlignVCenter | Qt::TextSingleLine;
    if (!hasBar) {
        if (back)
            painter.fillRect(area, *back);
        area.setLeft(area.left() + 2);
        painter.setPen(TextColor(info, plain));
        painter.drawText(
            area, flags, fontMetrics().elidedText(info.text, Qt::ElideRight, area.width()));
        return;
    }
    // Over a bar the text changes colour exactly where the fill ends.
    const QString text = fontMetrics().elidedText(info.text, Qt::ElideRight, area.width());
    const QRect filled(area.left(), area.top(), filledWidth, area.height());
    const QRect rest(
        area.left() + filledWidth, area.top(), area.width() - filledWidth, area.height());
    painter.save();
    painter.setClipRect(filled);
    painter.setPen(SystemColor(info.progressTextColor, QPalette::HighlightedText));
    painter.drawText(area, flags, text);
    painter.setClipRect(rest);
    painter.setPen(TextColor(info, true));
    painter.drawText(area, flags, text);
    painter.restore();
}

void CCellListCtrl::DrawImage(QPainter &painter, const CellInfo &info, const QRect &imageRect)
{
    const std::optional<QColor> back
        = BackColor(info, info.imagePlainBack != 0 || info.noHighlight != 0);
    if (back)
        painter.fillRect(imageRect, *back);
    QPixmap image = info.imageList->at(info.imageIndex);
    const std::optional<QColor> selection = BackColor(info, false);
    if (info.selected && !info.noHighlight && info.imageSelectedStyle != 0 && selection) {
        // A quarter of the selection colour over the image's own pixels.
        QPainter blend(&image);
        blend.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        blend.setOpacity(0.25);
        blend.fillRect(QRect(QPoint(0, 0), image.deviceIndependentSize().toSize()), *selection);
    }
    painter.drawPixmap(
        imageRect, image, QRect(QPoint(0, 0), imageRect.size() * image.devicePixelRatio()));
}

QColor CCellListCtrl::SystemColor(ColorRef value, QPalette::ColorRole role) const
{
    return value == CLR_DEFAULT ? palette().color(QPalette::Active, role) : ToQColor(value);
}

QColor CCellListCtrl::TextColor(const CellInfo &info, bool plain) const
{
    if (info.selected && !plain)
        return SystemColor(info.selectedTextColor,
                           hasFocus() ? QPalette::HighlightedText : QPalette::Text);
    if (info.hot)
        return SystemColor(info.hotTextColor, QPalette::Link);
    return SystemColor(info.textColor, QPalette::Text);
}

std::optional<QColor> CCellListCtrl::BackColor(const CellInfo &info, bool plain) const
{
    ColorRef value = info.backColor;
    QPalette::ColorRole role = QPalette::Base;
    if (!plain && info.selected) {
        const bool focus = hasFocus();
        value = focus ? info.selectedBackColor : info.selectedBackColorNoFocus;
        role = info.hot ? QPalette::Link : (focus ? QPalette::Highlight : QPalette::Button);
    }
    if (value == CLR_NONE)
        return std::nullopt;
    return SystemColor(value, role);
}

bool CCellListCtrl::viewportEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
    case QEvent::HoverLeave:
        return true; // no hover effects, and no repaint of the row under the mouse
    case QEvent::ToolTip: {
        // The cell's own tip, so that a text cut at the column's edge can still be read whole.
        const QPoint at = static_cast<QHelpEvent *>(event)->pos();
        const QModelIndex index = indexAt(at);
        const QString tip
            = index.isValid() ? GetCellInfo(index.row(), index.column()).toolTip : QString();
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(
                static_cast<QHelpEvent *>(event)->globalPos(), tip, viewport(), visualRect(index));
        return true;
    }
    default:
        return QTableView::viewportEvent(event);
    }
}

void CCellListCtrl::mousePressEvent(QMouseEvent *event)
{
    QTableView::mousePressEvent(event);
    emit cellClicked(rowAt(event->position().toPoint().y()), event->button());
}

void CCellListCtrl::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press selects as a press does; the view's own double-click handling (which
    // would start editing or emit its own signals) is left out.
    QTableView::mousePressEvent(event);
    emit cellDoubleClicked(rowAt(event->position().toPoint().y()), event->button());
}

void CCellListCtrl::wheelEvent(QWheelEvent *event)
{
    m_userScrolled.start();
    QTableView::wheelEvent(event);
}

void CCellListCtrl::keyPressEvent(QKeyEvent *event)
{
    m_userScrolled.start();
    QTableView::keyPressEvent(event);
}

void CCellListCtrl::mouseMoveEvent(QMouseEvent *event)
{
    // Swallowed: dragging with a button held selects nothing and hovering shows nothing.
    event->accept();
}
