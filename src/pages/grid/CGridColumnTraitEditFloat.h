#pragma once

#include "CGridColumnTraitEdit.h"

// A number cell: the editor takes digits, "-" and "." only. The device wants
// "12.3" whatever the desktop's locale, so a decimal comma never gets in.
class CGridColumnTraitEditFloat : public CGridColumnTraitEdit {
public:
    QWidget* CreateEditor(QWidget* parent) const override;
};
