#pragma once

#include <QStyledItemDelegate>

class CGridListCtrlEx;

// Opens the cell's in-place editor as its trait says and hands the result
// to the list. The keys are the grid's own: Enter, Tab and the mouse wheel
// commit, Esc cancels, leaving the editor commits.
class CGridListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit CGridListDelegate(CGridListCtrlEx& list);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    void CommitAndClose(QWidget* editor);

    CGridListCtrlEx& list_;
};
