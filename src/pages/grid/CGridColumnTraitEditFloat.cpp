#include "CGridColumnTraitEditFloat.h"

#include "CGridEditorTextFloat.h"

QWidget* CGridColumnTraitEditFloat::CreateEditor(QWidget* parent) const
{
    if (!IsCellEditable())
        return nullptr;
    return new CGridEditorTextFloat(parent, MaxLength());
}
