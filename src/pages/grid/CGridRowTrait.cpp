#include "CGridRowTrait.h"

CGridRowTrait::~CGridRowTrait() = default;

void CGridRowTrait::Attach(CGridListCtrlEx& list)
{
    (void)list;
}

void CGridRowTrait::RowColors(int row, QColor& textColor, QColor& backColor) const
{
    (void)row;
    (void)textColor;
    (void)backColor;
}
