#include "CGridColumnTraitEdit.h"

#include "CGridEditorText.h"

QWidget* CGridColumnTraitEdit::CreateEditor(QWidget* parent) const
{
    if (!IsCellEditable())
        return nullptr;
    return new CGridEditorText(parent, digitsOnly_, maxLength_);
}
