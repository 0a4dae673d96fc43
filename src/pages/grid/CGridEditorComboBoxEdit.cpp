#include "CGridEditorComboBoxEdit.h"

CGridEditorComboBoxEdit::CGridEditorComboBoxEdit(QWidget* parent, int maxLength)
    : CGridEditorText(parent, false, maxLength)
{
}
