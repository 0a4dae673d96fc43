#pragma once

#include "CGridColumnTraitImage.h"

// A one-line text editor in the cell: any text, or digits only, up to a
// maximum number of characters (0: no limit).
class CGridColumnTraitEdit : public CGridColumnTraitImage {
public:
    void SetDigitsOnly(bool digitsOnly) { digitsOnly_ = digitsOnly; }
    bool IsDigitsOnly() const { return digitsOnly_; }
    void SetMaxLength(int maxLength) { maxLength_ = maxLength < 0 ? 0 : maxLength; }
    int MaxLength() const { return maxLength_; }

    QWidget* CreateEditor(QWidget* parent) const override;

private:
    bool digitsOnly_ = false;
    int maxLength_ = 0;
};
