#pragma once

#include "controls/cellinfo.h"

#include <QElapsedTimer>
#include <QTableView>
#include <optional>

class CellInfoProvider;
class CellListModel;

// The job list: a report-style list whose rows hold no data. It is told how many rows there
// are and, for every cell it paints, asks its CellInfoProvider for the contents, then draws the
// background, text, optional image and optional progress bar itself. Single selection, whole
// rows, the selection always shown (in its no-focus colour when the list has no focus), no
// hover effects, and a focus ring only while a focus that came from the keyboard lasts.
class CCellListCtrl : public QTableView
{
    Q_OBJECT

public:
    // The provider is not owned and may be null (cells then show the reset record).
    explicit CCellListCtrl(CellInfoProvider *provider, QWidget *parent = nullptr);
    ~CCellListCtrl() override;

    void SetCellInfoProvider(CellInfoProvider *provider) { m_provider = provider; }
    // Not owned; images are offered to the provider through CellInfo::imageList.
    void SetImageList(const QList<QPixmap> *images) { m_imageList = images; }

    // Inserts a column whose heading and cells are aligned left, centred or right.
    void InsertColumn(int column, const QString &heading, Qt::Alignment alignment, int width);
    int GetColumnCount() const;

    // The number of (virtual) rows; the rows that stay keep their selection.
    void SetItemCount(int count);
    int GetItemCount() const;
    void DeleteAllItems();
    // Repaints whole rows first..last (those on screen).
    void RedrawItems(int first, int last);
    // The row last selected, by the user or by SelectRow; -1 when none was.
    int GetSelectionMark() const { return m_selectionMark; }
    // The focus came from the keyboard and the ring shows.
    bool FocusShown() const { return m_focusShown; }
    // Selects the row (and makes it the selection mark), gives the list the keyboard focus and
    // scrolls the row into view unless part of it is already shown.
    void SelectRow(int row);
    // Invalidates, without erasing, the cells of one column from firstRow to lastRow, limited
    // to the rows on screen. The next paint asks the provider for just those cells.
    void RepaintCells(int firstRow, int lastRow, int column);
    // Scrolls just enough to show the whole row, unless the user has scrolled the list (wheel,
    // scroll bar or keys) within the last UserScrollRespectMs: then the list stays where the
    // user put it.
    void ShowStartedRow(int row);
    static constexpr qint64 UserScrollRespectMs = 3000;

    // Resets the one record, fills row, column, selected, hot and imageList, and asks the
    // provider. The record stays the list's and is overwritten by the next request.
    virtual const CellInfo &GetCellInfo(int row, int column);
    // Where the cell is drawn, in viewport coordinates.
    QRect CellRect(int row, int column) const;

    // Typing does not search: the rows have no text of their own to search in.
    void keyboardSearch(const QString &search) override;

signals:
    // Any mouse button, after the list has updated its selection; row -1 is empty space.
    void cellClicked(int row, Qt::MouseButton button);
    void cellDoubleClicked(int row, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void PaintCells(const QPaintEvent *event);
    void DrawCell(QPainter &painter, int row, int column, const QRect &cellRect);
    void DrawImage(QPainter &painter, const CellInfo &info, const QRect &imageRect);
    QColor TextColor(const CellInfo &info, bool plain) const;
    // Empty for CLR_NONE: nothing is painted.
    std::optional<QColor> BackColor(const CellInfo &info, bool plain) const;
    QColor SystemColor(ColorRef value, QPalette::ColorRole role) const;
    // The part of the viewport that rows first..last cover, limited to the rows on screen.
    QRect VisibleRowsRect(int first, int last) const;

    CellInfoProvider *m_provider = nullptr;
    CellListModel *m_model = nullptr;
    const QList<QPixmap> *m_imageList = nullptr;
    CellInfo m_cellInfo;
    int m_selectionMark = -1;
    bool m_focusShown = false;
    // Since the user last scrolled the list; invalid until then.
    QElapsedTimer m_userScrolled;
};
