#pragma once

#include "CGridColumnTrait.h"

// Read-only text cells; the column may be sorted by a click on its header.
class CGridColumnTraitText : public CGridColumnTrait {
public:
    void SetSortable(bool sortable) { sortable_ = sortable; }
    bool IsSortable() const override;

private:
    bool sortable_ = false;
};
