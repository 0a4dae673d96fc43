#pragma once

#include "CGridColumnTraitEdit.h"

// A HART packed-text cell (tags, message): six-bit characters only, so the
// editor turns a-z into A-Z and refuses everything else from "`" upward,
// Cyrillic included.
class CGridColumnTraitEditPacked : public CGridColumnTraitEdit {
public:
    QWidget* CreateEditor(QWidget* parent) const override;
};
