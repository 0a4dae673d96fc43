#pragma once

#include "CGridColumnTraitText.h"

// The base of the editable traits. Images and check boxes in cells are not
// offered: no page shows either. What it adds is the switch that lets a
// page keep an editable column read-only for a while.
class CGridColumnTraitImage : public CGridColumnTraitText {
public:
    void SetEditable(bool editable) { editable_ = editable; }
    bool IsCellEditable() const override;

private:
    bool editable_ = true;
};
