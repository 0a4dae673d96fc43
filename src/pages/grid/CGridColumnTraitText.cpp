#include "CGridColumnTraitText.h"

bool CGridColumnTraitText::IsSortable() const
{
    return sortable_;
}
