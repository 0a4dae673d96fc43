#include "CGridListCtrlEx.h"

#include <QAction>
#include <QEvent>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

#include "CGridColumnTraitText.h"
#include "CGridListDelegate.h"
#include "CGridListModel.h"

CGridListCtrlEx::CGridListCtrlEx(QWidget* parent)
    : QTableView(parent), model_(new CGridListModel(*this)), delegate_(new CGridListDelegate(*this))
{
    setModel(model_);
    setItemDelegate(delegate_);
    verticalHeader()->hide();
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // Editing starts with the mouse only: F2, the platform's edit key, is
    // "Прочитать (F2)" on every page and must reach the page.
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked);
    setWordWrap(false);

    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSortIndicatorShown(true);
    ShowSortIndicator();
    connect(header, &QHeaderView::sectionClicked, this, &CGridListCtrlEx::OnHeaderClicked);
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QHeaderView::customContextMenuRequested, this, [this](const QPoint& pos) {
        std::unique_ptr<QMenu> menu(CreateColumnMenu(this));
        menu->exec(horizontalHeader()->viewport()->mapToGlobal(pos));
    });
}

CGridListCtrlEx::~CGridListCtrlEx()
{
    // The view may still ask the model about cells while it goes; the
    // traits must outlive that.
    setModel(nullptr);
}

void CGridListCtrlEx::SetCellMargin(double factor)
{
    cellMargin_ = factor > 0.0 ? factor : 0.0;
    ApplyRowHeight();
}

void CGridListCtrlEx::ApplyRowHeight()
{
    if (cellMargin_ <= 0.0)
        return;
    const int height = int(std::ceil(fontMetrics().height() * cellMargin_));
    QHeaderView* rows = verticalHeader();
    rows->setMinimumSectionSize(height);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(height);
}

void CGridListCtrlEx::SetRowTrait(std::unique_ptr<CGridRowTrait> trait)
{
    rowTrait_ = std::move(trait);
    if (rowTrait_)
        rowTrait_->Attach(*this);
    viewport()->update();
}

void CGridListCtrlEx::SetExplorerStyle()
{
    setShowGrid(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAlternatingRowColors(false);
    verticalHeader()->hide();
}

int CGridListCtrlEx::InsertHiddenLabelColumn()
{
    if (labelColumn_ >= 0)
        return labelColumn_;
    InsertColumn(0, QString(), Qt::AlignLeft, 0);
    labelColumn_ = 0;
    setColumnHidden(0, true);
    return 0;
}

int CGridListCtrlEx::InsertColumn(int column, const QString& heading, Qt::Alignment alignment, int width,
                                  std::unique_ptr<CGridColumnTrait> trait)
{
    if (!trait)
        trait = std::make_unique<CGridColumnTraitText>();
    if (column < 0 || column > ColumnCount())
        column = ColumnCount();
    CommitOpenEditor();
    // The trait goes in first: the view asks about the new column's cells
    // as soon as the model has it.
    columns_.insert(columns_.begin() + column, std::move(trait));
    if (labelColumn_ >= column)
        ++labelColumn_;
    if (sortColumn_ >= column)
        ++sortColumn_;
    model_->InsertColumn(column, heading, alignment);
    setColumnWidth(column, width);
    ShowSortIndicator();
    return column;
}

int CGridListCtrlEx::ColumnCount() const
{
    return int(columns_.size());
}

CGridColumnTrait* CGridListCtrlEx::ColumnTrait(int column) const
{
    if (column < 0 || column >= ColumnCount())
        return nullptr;
    return columns_[size_t(column)].get();
}

const CGridColumnTrait* CGridListCtrlEx::CellTrait(int row, int column) const
{
    const CGridColumnTrait* trait = ColumnTrait(column);
    return trait ? &trait->CellTrait(row) : nullptr;
}

void CGridListCtrlEx::SetEmptyText(const QString& text)
{
    if (emptyText_ == text)
        return;
    emptyText_ = text;
    viewport()->update();
}

int CGridListCtrlEx::InsertRow(int row, const QString& label)
{
    if (row < 0 || row > RowCount())
        row = RowCount();
    const int at = model_->InsertRow(row);
    if (!label.isEmpty())
        model_->SetText(at, 0, label);
    return at;
}

void CGridListCtrlEx::DeleteAllRows()
{
    model_->RemoveAllRows();
    viewport()->update();
}

int CGridListCtrlEx::RowCount() const
{
    return model_->rowCount();
}

bool CGridListCtrlEx::SetCellText(int row, int column, const QString& text)
{
    return model_->SetText(row, column, text);
}

QString CGridListCtrlEx::CellText(int row, int column) const
{
    return model_->Text(row, column);
}

void CGridListCtrlEx::RedrawCells()
{
    model_->RefreshAll();
    viewport()->update();
}

QWidget* CGridListCtrlEx::EditCell(int row, int column)
{
    const QModelIndex index = model_->index(row, column);
    if (!index.isValid() || !(model_->flags(index) & Qt::ItemIsEditable))
        return nullptr;
    CommitOpenEditor();
    setCurrentIndex(index);
    scrollTo(index);
    if (!edit(index, QAbstractItemView::AllEditTriggers, nullptr))
        return nullptr;
    return CellEditor();
}

QWidget* CGridListCtrlEx::CellEditor() const
{
    return editIndex_.isValid() ? indexWidget(editIndex_) : nullptr;
}

void CGridListCtrlEx::CommitOpenEditor()
{
    if (QWidget* editor = CellEditor()) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

bool CGridListCtrlEx::SortByColumn(int column, bool ascending)
{
    const CGridColumnTrait* trait = ColumnTrait(column);
    if (!trait || !trait->IsSortable())
        return false;
    CommitOpenEditor();
    sortColumn_ = column;
    sortAscending_ = ascending;
    if (ascending)
        model_->SortRows(column, [trait](const QString& a, const QString& b) { return trait->CompareCells(a, b) < 0; });
    else
        model_->SortRows(column, [trait](const QString& a, const QString& b) { return trait->CompareCells(b, a) < 0; });
    ShowSortIndicator();
    return true;
}

void CGridListCtrlEx::OnHeaderClicked(int section)
{
    const CGridColumnTrait* trait = ColumnTrait(section);
    if (trait && trait->IsSortable())
        SortByColumn(section, section == sortColumn_ ? !sortAscending_ : true);
    else
        // The header turns its arrow on any click; a column that does not
        // sort must not take it over.
        ShowSortIndicator();
}

void CGridListCtrlEx::ShowSortIndicator()
{
    horizontalHeader()->setSortIndicator(sortColumn_, sortAscending_ ? Qt::AscendingOrder : Qt::DescendingOrder);
}

QMenu* CGridListCtrlEx::CreateColumnMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    int shown = 0;
    for (int column = 0; column < ColumnCount(); ++column) {
        if (column != labelColumn_ && !isColumnHidden(column))
            ++shown;
    }
    for (int column = 0; column < ColumnCount(); ++column) {
        if (column == labelColumn_)
            continue;
        QAction* action = menu->addAction(model_->headerData(column, Qt::Horizontal).toString());
        action->setCheckable(true);
        action->setChecked(!isColumnHidden(column));
        action->setData(column);
        // A list with no visible column could not be given one back.
        if (action->isChecked() && shown == 1)
            action->setEnabled(false);
        connect(action, &QAction::toggled, this, [this, column](bool on) { setColumnHidden(column, !on); });
    }
    return menu;
}

void CGridListCtrlEx::CommitEdit(int row, int column, const QString& text, quint32 itemData)
{
    if (OnEditComplete(row, column, text, itemData))
        emit cellCommitted(row, column, text, itemData);
}

bool CGridListCtrlEx::OnEditComplete(int row, int column, const QString& text, quint32 itemData)
{
    (void)itemData;
    const CGridColumnTrait* trait = CellTrait(row, column);
    if (!trait || row < 0 || row >= RowCount() || !trait->AcceptsText(text))
        return false;
    return SetCellText(row, column, text);
}

bool CGridListCtrlEx::OnCellFont(int row, int column, QFont& font) const
{
    (void)row;
    (void)column;
    (void)font;
    return false;
}

bool CGridListCtrlEx::OnCellColors(int row, int column, QColor& textColor, QColor& backColor) const
{
    (void)row;
    (void)column;
    (void)textColor;
    (void)backColor;
    return false;
}

void CGridListCtrlEx::ResolveCellColors(int row, int column, QColor& textColor, QColor& backColor) const
{
    if (rowTrait_)
        rowTrait_->RowColors(row, textColor, backColor);
    QColor cellText = textColor;
    QColor cellBack = backColor;
    if (OnCellColors(row, column, cellText, cellBack)) {
        textColor = cellText;
        backColor = cellBack;
    }
}

void CGridListCtrlEx::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    if (RowCount() != 0 || emptyText_.isEmpty())
        return;
    // The status of an empty list ("Журнал пуст", a port that cannot be
    // opened) stands where the first rows would be.
    QPainter painter(viewport());
    painter.setPen(viewport()->palette().color(QPalette::Text));
    painter.setFont(font());
    const int margin = fontMetrics().height() / 2;
    const QRect area = viewport()->rect().adjusted(margin, margin, -margin, -margin);
    painter.drawText(area, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, emptyText_);
}

void CGridListCtrlEx::wheelEvent(QWheelEvent* event)
{
    CommitOpenEditor();
    QTableView::wheelEvent(event);
}

void CGridListCtrlEx::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        ApplyRowHeight();
}
