#include "controls/celllistmodel.h"

#include <algorithm>
#include <utility>

int CellListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int CellListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant CellListModel::data(const QModelIndex &index, int role) const
{
    // The list draws every cell from a cell request; the model holds no contents. Only a
    // screen reader asks it, and gets what the cell shows.
    if (role == Qt::AccessibleTextRole && m_accessibleText && index.isValid())
        return m_accessibleText(index.row(), index.column());
    return QVariant();
}

void CellListModel::SetAccessibleText(std::function<QString(int, int)> text)
{
    m_accessibleText = std::move(text);
}

QVariant CellListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QVariant();
    if (role == Qt::DisplayRole)
        return m_columns.at(section).heading;
    if (role == Qt::TextAlignmentRole)
        return int(m_columns.at(section).alignment | Qt::AlignVCenter);
    return QVariant();
}

void CellListModel::SetRowCount(int count)
{
    count = std::max(count, 0);
    if (count > m_rowCount) {
        beginInsertRows(QModelIndex(), m_rowCount, count - 1);
        m_rowCount = count;
        endInsertRows();
    } else if (count < m_rowCount) {
        beginRemoveRows(QModelIndex(), count, m_rowCount - 1);
        m_rowCount = count;
        endRemoveRows();
    }
}

void CellListModel::RemoveAllRows()
{
    beginResetModel();
    m_rowCount = 0;
    endResetModel();
}

void CellListModel::InsertColumn(int column, const QString &heading, Qt::Alignment alignment)
{
    column = std::clamp(column, 0, int(m_columns.size()));
    beginInsertColumns(QModelIndex(), column, column);
    m_columns.insert(column, Column{heading, alignment & Qt::AlignHorizontal_Mask});
    endInsertColumns();
}

Qt::Alignment CellListModel::Alignment(int column) const
{
    if (column < 0 || column >= m_columns.size())
        return Qt::AlignLeft;
    return m_columns.at(column).alignment;
}
