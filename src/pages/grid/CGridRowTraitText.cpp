#include "CGridRowTraitText.h"

void CGridRowTraitText::SetRowColors(const QColor& textColor, const QColor& backColor)
{
    text_ = textColor;
    back_ = backColor;
}

void CGridRowTraitText::SetAltRowColors(const QColor& textColor, const QColor& backColor)
{
    altText_ = textColor;
    altBack_ = backColor;
}

void CGridRowTraitText::RowColors(int row, QColor& textColor, QColor& backColor) const
{
    const bool alternate = row % 2 == 1;
    const QColor& text = alternate && altText_.isValid() ? altText_ : text_;
    const QColor& back = alternate && altBack_.isValid() ? altBack_ : back_;
    if (text.isValid())
        textColor = text;
    if (back.isValid())
        backColor = back;
}
