#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>

#include <functional>

// The rows of a CCellListCtrl are virtual: this model knows only how many there are and the
// headings of the columns. Cell contents come from the list's CellInfoProvider when painting,
// and for screen readers (Qt::AccessibleTextRole) through the text function the list gives.
class CellListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant
    headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Grows or shrinks at the end, so the rows that stay keep their selection.
    void SetRowCount(int count);
    void RemoveAllRows();
    void InsertColumn(int column, const QString &heading, Qt::Alignment alignment);
    // Horizontal alignment of the column's heading, which its cells follow.
    Qt::Alignment Alignment(int column) const;
    // The text a screen reader reads for the cell at row, column.
    void SetAccessibleText(std::function<QString(int row, int column)> text);

private:
    struct Column
    {
        QString heading;
        Qt::Alignment alignment;
    };
    int m_rowCount = 0;
    QList<Column> m_columns;
    std::function<QString(int, int)> m_accessibleText;
};
