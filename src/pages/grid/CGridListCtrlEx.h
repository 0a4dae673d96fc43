#pragma once

#include <QPersistentModelIndex>
#include <QTableView>
#include <memory>
#include <vector>

#include "CGridColumnTrait.h"
#include "CGridRowTrait.h"

class CGridListModel;
class CGridListDelegate;
class QMenu;

// The report-style list under the parameter and journal pages: columns
// with traits (read-only, edited in place, drop-down, a different editor
// per row), per-cell font and colour hooks, a text shown while the list has
// no rows, sorting by a click on a sortable column's header and a column
// menu on the header's right click.
//
// A QTableView over a model of its own rather than a QTableWidget: fonts
// and colours are decided by virtual hooks at drawing time (the pages look
// them up in their records), which a model answers from data() and item
// widgets would have to be kept in step with; and the view addresses single
// cells, which is what in-place editing of one value needs.
//
// Column 0 is, as on the pages, a hidden label column (InsertHiddenLabelColumn)
// so that the visible columns start at 1 with alignments of their own.
class CGridListCtrlEx : public QTableView {
    Q_OBJECT
public:
    explicit CGridListCtrlEx(QWidget* parent = nullptr);
    ~CGridListCtrlEx() override;

    // Set-up, in the order the pages use it.
    void EnableToolTips(bool enable) { toolTips_ = enable; }
    bool AreToolTipsEnabled() const { return toolTips_; }
    // Row height as a multiple of the font height (the pages use 1.2).
    void SetCellMargin(double factor);
    double CellMargin() const { return cellMargin_; }
    void SetRowTrait(std::unique_ptr<CGridRowTrait> trait);
    const CGridRowTrait* RowTrait() const { return rowTrait_.get(); }
    // The look of the desktop's file lists: no grid lines, whole-row
    // selection, no row headers.
    void SetExplorerStyle();
    // Column 0, hidden and read-only; returns its index (0).
    int InsertHiddenLabelColumn();
    // A column with its heading, alignment, width in pixels and trait (null:
    // read-only text); returns its index.
    int InsertColumn(int column, const QString& heading, Qt::Alignment alignment, int width,
                     std::unique_ptr<CGridColumnTrait> trait = nullptr);
    int ColumnCount() const;
    CGridColumnTrait* ColumnTrait(int column) const;
    // The trait that governs one cell (a variant column's row trait).
    const CGridColumnTrait* CellTrait(int row, int column) const;

    // Rows and cells.
    void SetEmptyText(const QString& text);
    QString EmptyText() const { return emptyText_; }
    // Inserts a row (at the end when `row` is out of range) with `label` in
    // column 0; returns its index.
    int InsertRow(int row, const QString& label = QString());
    void DeleteAllRows();
    int RowCount() const;
    bool SetCellText(int row, int column, const QString& text);
    QString CellText(int row, int column) const;
    // Draws every cell again, asking the hooks anew.
    void RedrawCells();

    // Editing. Opens the editor of an editable cell (committing one that is
    // open); null when the cell is read-only.
    QWidget* EditCell(int row, int column);
    // The open in-place editor, or null.
    QWidget* CellEditor() const;

    // Sorting: -1 while the rows are in their inserted order.
    int SortColumn() const { return sortColumn_; }
    bool IsSortAscending() const { return sortAscending_; }
    // Sorts by a sortable column; false for any other.
    bool SortByColumn(int column, bool ascending);

    // The header's right-click menu: one check entry per column that may be
    // shown or hidden. The caller owns the menu.
    QMenu* CreateColumnMenu(QWidget* parent);

signals:
    // An edit was accepted and stored: row, column, new text and, for a
    // drop-down, the chosen entry's data (0 otherwise).
    void cellCommitted(int row, int column, const QString& text, quint32 itemData);

protected:
    // An edit ended with a commit. The base checks the text against the
    // cell's trait and stores it; true when it did. A list that overrides
    // this calls the base and acts when it accepted.
    virtual bool OnEditComplete(int row, int column, const QString& text, quint32 itemData);
    // The font of a cell: true to draw with `font` (which comes in as the
    // list's font).
    virtual bool OnCellFont(int row, int column, QFont& font) const;
    // The colours of a cell: set either to override the row's look; invalid
    // colours keep it.
    virtual bool OnCellColors(int row, int column, QColor& textColor, QColor& backColor) const;

    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class CGridListModel;
    friend class CGridListDelegate;

    void CommitEdit(int row, int column, const QString& text, quint32 itemData);
    void ResolveCellColors(int row, int column, QColor& textColor, QColor& backColor) const;
    void OnHeaderClicked(int section);
    void ShowSortIndicator();
    void ApplyRowHeight();
    void CommitOpenEditor();

    CGridListModel* model_;
    CGridListDelegate* delegate_;
    std::vector<std::unique_ptr<CGridColumnTrait>> columns_;
    std::unique_ptr<CGridRowTrait> rowTrait_;
    int labelColumn_ = -1;
    bool toolTips_ = true;
    double cellMargin_ = 0.0;
    QString emptyText_;
    int sortColumn_ = -1;
    bool sortAscending_ = true;
    QPersistentModelIndex editIndex_;
};
