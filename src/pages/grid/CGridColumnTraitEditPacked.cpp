#include "CGridColumnTraitEditPacked.h"

#include "CGridEditorTextPacked.h"

QWidget* CGridColumnTraitEditPacked::CreateEditor(QWidget* parent) const
{
    if (!IsCellEditable())
        return nullptr;
    return new CGridEditorTextPacked(parent, MaxLength());
}
