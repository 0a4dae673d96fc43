#include "CGridColumnTraitVariant.h"

#include "CGridColumnTraitText.h"

CGridColumnTraitVariant::CGridColumnTraitVariant() : default_(std::make_unique<CGridColumnTraitText>()) {}

CGridColumnTraitVariant::~CGridColumnTraitVariant() = default;

void CGridColumnTraitVariant::SetRowTrait(int row, std::unique_ptr<CGridColumnTrait> trait)
{
    if (trait)
        rows_[row] = std::move(trait);
    else
        rows_.erase(row);
}

CGridColumnTrait* CGridColumnTraitVariant::RowTrait(int row) const
{
    auto it = rows_.find(row);
    return it == rows_.end() ? nullptr : it->second.get();
}

void CGridColumnTraitVariant::SetDefaultTrait(std::unique_ptr<CGridColumnTrait> trait)
{
    default_ = trait ? std::move(trait) : std::make_unique<CGridColumnTraitText>();
}

const CGridColumnTrait& CGridColumnTraitVariant::CellTrait(int row) const
{
    const CGridColumnTrait* own = RowTrait(row);
    return own ? own->CellTrait(row) : default_->CellTrait(row);
}

// Asked without a row, the variant speaks for its default rows; the list
// always asks through CellTrait(row).
bool CGridColumnTraitVariant::IsCellEditable() const
{
    return default_->IsCellEditable();
}

QWidget* CGridColumnTraitVariant::CreateEditor(QWidget* parent) const
{
    return default_->CreateEditor(parent);
}

bool CGridColumnTraitVariant::AcceptsText(const QString& text) const
{
    return default_->AcceptsText(text);
}
