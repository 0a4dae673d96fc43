#include "CGridListDelegate.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "CGridEditorComboBox.h"
#include "CGridEditorText.h"
#include "CGridListCtrlEx.h"

namespace {

// Marks an editor whose text has been loaded once.
const char* const kLoadedProperty = "gridEditorLoaded";

}  // namespace

CGridListDelegate::CGridListDelegate(CGridListCtrlEx& list) : QStyledItemDelegate(&list), list_(list) {}

QWidget* CGridListDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const
{
    (void)option;
    const CGridColumnTrait* trait = list_.CellTrait(index.row(), index.column());
    if (!trait || !trait->IsCellEditable())
        return nullptr;
    QWidget* editor = trait->CreateEditor(parent);
    if (!editor)
        return nullptr;
    // The editor writes in the cell's own font: a bold value stays bold.
    const QVariant font = index.data(Qt::FontRole);
    editor->setFont(font.isValid() ? font.value<QFont>() : list_.font());
    if (auto* combo = qobject_cast<CGridEditorComboBox*>(editor)) {
        auto* self = const_cast<CGridListDelegate*>(this);
        connect(combo, &CGridEditorComboBox::Picked, self, [self, combo] { self->CommitAndClose(combo); });
    }
    list_.editIndex_ = index;
    return editor;
}

void CGridListDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    // The view reloads open editors whenever their cell changes, and the
    // polling pages rewrite the value cells every cycle: what the engineer
    // is typing must survive that, so the cell text is loaded only once.
    if (editor->property(kLoadedProperty).toBool())
        return;
    editor->setProperty(kLoadedProperty, true);
    const QString text = index.data(Qt::EditRole).toString();
    if (auto* textEditor = qobject_cast<CGridEditorText*>(editor))
        textEditor->LoadText(text);
    else if (auto* combo = qobject_cast<CGridEditorComboBox*>(editor))
        combo->SelectText(text);
    else if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->setText(text);
}

void CGridListDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    (void)model;
    QString text;
    quint32 itemData = 0;
    if (auto* combo = qobject_cast<CGridEditorComboBox*>(editor)) {
        text = combo->SelectedText();
        itemData = combo->SelectedData();
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        text = line->text();
    } else {
        return;
    }
    list_.CommitEdit(index.row(), index.column(), text, itemData);
}

void CGridListDelegate::CommitAndClose(QWidget* editor)
{
    emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool CGridListDelegate::eventFilter(QObject* object, QEvent* event)
{
    auto* editor = qobject_cast<QWidget*>(object);
    if (!editor)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        // Tab ends the edit where it is: the next cell of a parameter row
        // is its label, there is nothing to move on to.
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            CommitAndClose(editor);
            return true;
        case Qt::Key_Escape:
            emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
            return true;
        default:
            break;
        }
        break;
    }
    case QEvent::ShortcutOverride: {
        // Keep the keys of the edit from the window's shortcuts.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            event->accept();
            return true;
        }
        break;
    }
    case QEvent::Wheel:
        // A turned wheel would scroll the list away under the editor, or
        // flip a drop-down's choice unseen: it ends the edit instead.
        CommitAndClose(editor);
        return true;
    default:
        break;
    }
    // Leaving the editor commits: the base class does that, and knows to
    // ignore the drop-down's own list taking the focus.
    return QStyledItemDelegate::eventFilter(object, event);
}
