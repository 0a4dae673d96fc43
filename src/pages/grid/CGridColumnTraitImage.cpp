#include "CGridColumnTraitImage.h"

bool CGridColumnTraitImage::IsCellEditable() const
{
    return editable_;
}
