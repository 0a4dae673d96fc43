#include "CGridListModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <algorithm>
#include <numeric>
#include <vector>

#include "CGridListCtrlEx.h"

CGridListModel::CGridListModel(CGridListCtrlEx& list) : QAbstractTableModel(&list), list_(list) {}

int CGridListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int CGridListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant CGridListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return rows_[row][column];
    case Qt::ToolTipRole:
        return list_.AreToolTipsEnabled() ? QVariant(rows_[row][column]) : QVariant();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(columns_[column].alignment | Qt::AlignVCenter);
    case Qt::FontRole: {
        QFont font = list_.font();
        if (list_.OnCellFont(row, column, font))
            return font;
        return {};
    }
    case Qt::ForegroundRole:
    case Qt::BackgroundRole: {
        QColor text;
        QColor back;
        list_.ResolveCellColors(row, column, text, back);
        const QColor& color = role == Qt::ForegroundRole ? text : back;
        return color.isValid() ? QVariant(QBrush(color)) : QVariant();
    }
    default:
        return {};
    }
}

QVariant CGridListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columns_.size())
        return {};
    if (role == Qt::DisplayRole)
        return columns_[section].heading;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(columns_[section].alignment | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags CGridListModel::flags(const QModelIndex& index) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    const CGridColumnTrait* trait = list_.CellTrait(index.row(), index.column());
    if (trait && trait->IsCellEditable())
        flags |= Qt::ItemIsEditable;
    return flags;
}

int CGridListModel::InsertColumn(int column, const QString& heading, Qt::Alignment alignment)
{
    column = std::clamp(column, 0, int(columns_.size()));
    beginInsertColumns(QModelIndex(), column, column);
    columns_.insert(column, Column{heading, alignment});
    for (QStringList& row : rows_)
        row.insert(column, QString());
    endInsertColumns();
    return column;
}

int CGridListModel::InsertRow(int row)
{
    row = std::clamp(row, 0, int(rows_.size()));
    beginInsertRows(QModelIndex(), row, row);
    QStringList cells;
    cells.resize(columns_.size());
    rows_.insert(row, cells);
    endInsertRows();
    return row;
}

void CGridListModel::RemoveAllRows()
{
    if (rows_.isEmpty())
        return;
    beginResetModel();
    rows_.clear();
    endResetModel();
}

bool CGridListModel::SetText(int row, int column, const QString& text)
{
    if (row < 0 || row >= rows_.size() || column < 0 || column >= columns_.size())
        return false;
    QString& cell = rows_[row][column];
    if (cell != text) {
        cell = text;
        const QModelIndex changed = index(row, column);
        emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
    }
    return true;
}

QString CGridListModel::Text(int row, int column) const
{
    if (row < 0 || row >= rows_.size() || column < 0 || column >= columns_.size())
        return {};
    return rows_[row][column];
}

void CGridListModel::SortRows(int column, const std::function<bool(const QString&, const QString&)>& less)
{
    if (column < 0 || column >= columns_.size() || rows_.size() < 2)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> order(size_t(rows_.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return less(rows_[a][column], rows_[b][column]); });

    std::vector<int> newRowOf(order.size());
    QList<QStringList> sorted;
    sorted.reserve(rows_.size());
    for (size_t i = 0; i < order.size(); ++i) {
        newRowOf[size_t(order[i])] = int(i);
        sorted.append(rows_[order[i]]);
    }
    rows_ = std::move(sorted);

    // Selection and the current cell travel with their rows.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
        after.append(index(newRowOf[size_t(old.row())], old.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CGridListModel::RefreshAll()
{
    if (rows_.isEmpty() || columns_.isEmpty())
        return;
    emit dataChanged(index(0, 0), index(int(rows_.size()) - 1, int(columns_.size()) - 1));
}
