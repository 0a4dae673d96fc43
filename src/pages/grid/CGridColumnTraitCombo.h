#pragma once

#include <QList>
#include <QString>
#include <cstdint>

#include "CGridColumnTraitImage.h"

// A drop-down list of (text, item data) pairs in the cell. The pages map a
// device value to its text and back through the item data, so a commit
// reports the chosen pair's data with its text.
class CGridColumnTraitCombo : public CGridColumnTraitImage {
public:
    struct Item {
        QString text;
        std::uint32_t data = 0;
    };

    void AddItem(std::uint32_t data, const QString& text);
    void ClearItems() { items_.clear(); }
    const QList<Item>& Items() const { return items_; }

    // A drop-down whose text can also be typed; no page uses one, the
    // parameter lists offer fixed choices only.
    void SetTextEditable(bool editable) { textEditable_ = editable; }
    bool IsTextEditable() const { return textEditable_; }
    void SetMaxLength(int maxLength) { maxLength_ = maxLength < 0 ? 0 : maxLength; }
    int MaxLength() const { return maxLength_; }

    QWidget* CreateEditor(QWidget* parent) const override;
    bool AcceptsText(const QString& text) const override;

private:
    QList<Item> items_;
    bool textEditable_ = false;
    int maxLength_ = 0;
};
