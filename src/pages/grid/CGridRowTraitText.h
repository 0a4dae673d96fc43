#pragma once

#include <QColor>

#include "CGridRowTrait.h"

// Plain text rows with optional colours, and optional other colours for
// every second row to help the eye along long journals.
class CGridRowTraitText : public CGridRowTrait {
public:
    void SetRowColors(const QColor& textColor, const QColor& backColor);
    void SetAltRowColors(const QColor& textColor, const QColor& backColor);

    void RowColors(int row, QColor& textColor, QColor& backColor) const override;

private:
    QColor text_;
    QColor back_;
    QColor altText_;
    QColor altBack_;
};
