#include "CGridRowTraitXP.h"

#include <QPalette>

#include "CGridListCtrlEx.h"

void CGridRowTraitXP::Attach(CGridListCtrlEx& list)
{
    list.setSelectionBehavior(QAbstractItemView::SelectRows);
    QPalette palette = list.palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    list.setPalette(palette);
}
