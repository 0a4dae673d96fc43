#pragma once

class CGridListCtrlEx;
class QColor;

// The look of the grid list's rows. The list owns one row trait; the cell
// colour hook of the list is applied on top of what it gives.
class CGridRowTrait {
public:
    CGridRowTrait() = default;
    CGridRowTrait(const CGridRowTrait&) = delete;
    CGridRowTrait& operator=(const CGridRowTrait&) = delete;
    virtual ~CGridRowTrait();

    // Called once when the trait becomes the list's row trait.
    virtual void Attach(CGridListCtrlEx& list);
    // Colours for every cell of a row; an invalid colour keeps the default.
    virtual void RowColors(int row, QColor& textColor, QColor& backColor) const;
};
