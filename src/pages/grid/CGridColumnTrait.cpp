#include "CGridColumnTrait.h"

CGridColumnTrait::~CGridColumnTrait() = default;

const CGridColumnTrait& CGridColumnTrait::CellTrait(int row) const
{
    (void)row;
    return *this;
}

bool CGridColumnTrait::IsCellEditable() const
{
    return false;
}

QWidget* CGridColumnTrait::CreateEditor(QWidget* parent) const
{
    (void)parent;
    return nullptr;
}

bool CGridColumnTrait::AcceptsText(const QString& text) const
{
    (void)text;
    return IsCellEditable();
}

bool CGridColumnTrait::IsSortable() const
{
    return false;
}

int CGridColumnTrait::CompareCells(const QString& a, const QString& b) const
{
    // Ordinal rather than locale order: the sortable texts are the journals'
    // fixed-width "%Y.%m.%d %H:%M:%S" stamps, whose code order is time order
    // on every desktop.
    return QString::compare(a, b, Qt::CaseSensitive);
}
