#pragma once

#include "CGridRowTraitText.h"

// Rows as the classic desktop list draws them: whole-row selection, and the
// selected row stays marked in full colour when the focus moves to the
// page's buttons, so the engineer still sees which parameter was picked.
class CGridRowTraitXP : public CGridRowTraitText {
public:
    void Attach(CGridListCtrlEx& list) override;
};
