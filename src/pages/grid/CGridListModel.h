#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <functional>

class CGridListCtrlEx;

// The texts of the grid list. Fonts and colours are not stored: they are
// asked of the list's hooks each time a cell is drawn, as the pages decide
// them from their own records (bold for editable rows, a highlight for
// modified ones), and a redraw is all it takes to follow a change.
class CGridListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CGridListModel(CGridListCtrlEx& list);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int InsertColumn(int column, const QString& heading, Qt::Alignment alignment);
    int InsertRow(int row);
    void RemoveAllRows();
    bool SetText(int row, int column, const QString& text);
    QString Text(int row, int column) const;
    // Rows in the order of `less` on one column's texts; equal texts keep
    // their order.
    void SortRows(int column, const std::function<bool(const QString&, const QString&)>& less);
    void RefreshAll();

private:
    struct Column {
        QString heading;
        Qt::Alignment alignment;
    };

    CGridListCtrlEx& list_;
    QList<Column> columns_;
    QList<QStringList> rows_;
};
