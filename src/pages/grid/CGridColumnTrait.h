#pragma once

#include <QString>

class QWidget;

// What one column of the grid list does with its cells: whether they can be
// edited, which in-place editor they get, which texts a commit may store and
// how the column sorts. The list owns one trait per column; the variant
// trait hands each row a trait of its own.
class CGridColumnTrait {
public:
    CGridColumnTrait() = default;
    CGridColumnTrait(const CGridColumnTrait&) = delete;
    CGridColumnTrait& operator=(const CGridColumnTrait&) = delete;
    virtual ~CGridColumnTrait();

    // The trait that governs the cell of this column in the given row.
    virtual const CGridColumnTrait& CellTrait(int row) const;

    virtual bool IsCellEditable() const;
    // A new in-place editor for a cell, or null when the cell is read-only.
    // The list loads the cell text into it and reads the result back.
    virtual QWidget* CreateEditor(QWidget* parent) const;
    // Whether a commit may store this text. Typing rules are the editor's
    // business: they judge what is typed, not what the cell held before.
    virtual bool AcceptsText(const QString& text) const;

    virtual bool IsSortable() const;
    // Negative, zero or positive as a sorts before, with or after b.
    virtual int CompareCells(const QString& a, const QString& b) const;
};
