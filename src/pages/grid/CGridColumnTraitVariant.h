#pragma once

#include <map>
#include <memory>

#include "CGridColumnTrait.h"

// One column, a different editor per row: the parameter lists' value column
// holds a digits cell, a float cell and a drop-down one under the other.
// Rows without a trait of their own get the default trait (read-only text
// unless the page sets another).
class CGridColumnTraitVariant : public CGridColumnTrait {
public:
    CGridColumnTraitVariant();
    ~CGridColumnTraitVariant() override;

    // The trait of one row; null removes the row's own trait.
    void SetRowTrait(int row, std::unique_ptr<CGridColumnTrait> trait);
    // The row's own trait, or null.
    CGridColumnTrait* RowTrait(int row) const;
    void ClearRowTraits() { rows_.clear(); }
    // Null restores read-only text.
    void SetDefaultTrait(std::unique_ptr<CGridColumnTrait> trait);
    CGridColumnTrait& DefaultTrait() const { return *default_; }

    const CGridColumnTrait& CellTrait(int row) const override;
    bool IsCellEditable() const override;
    QWidget* CreateEditor(QWidget* parent) const override;
    bool AcceptsText(const QString& text) const override;

private:
    std::map<int, std::unique_ptr<CGridColumnTrait>> rows_;
    std::unique_ptr<CGridColumnTrait> default_;
};
