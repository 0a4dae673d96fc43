#pragma once

#include "CGridEditorText.h"

// The text part of a text-editable in-place drop-down: it keeps the length
// limit of the column as the plain editor does.
class CGridEditorComboBoxEdit : public CGridEditorText {
    Q_OBJECT
public:
    explicit CGridEditorComboBoxEdit(QWidget* parent, int maxLength = 0);
};
