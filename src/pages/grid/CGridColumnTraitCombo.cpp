#include "CGridColumnTraitCombo.h"

#include "CGridEditorComboBox.h"

void CGridColumnTraitCombo::AddItem(std::uint32_t data, const QString& text)
{
    items_.append(Item{text, data});
}

QWidget* CGridColumnTraitCombo::CreateEditor(QWidget* parent) const
{
    if (!IsCellEditable())
        return nullptr;
    auto* combo = new CGridEditorComboBox(parent, textEditable_, maxLength_);
    for (const Item& item : items_)
        combo->AddItem(item.data, item.text);
    return combo;
}

bool CGridColumnTraitCombo::AcceptsText(const QString& text) const
{
    if (!IsCellEditable())
        return false;
    if (textEditable_)
        return true;
    for (const Item& item : items_) {
        if (item.text == text)
            return true;
    }
    return false;
}
