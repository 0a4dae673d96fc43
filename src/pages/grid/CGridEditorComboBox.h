#pragma once

#include <QComboBox>
#include <cstdint>

// The in-place drop-down list: (text, item data) pairs. Picking an entry
// from the open list commits at once; the arrow keys on the closed list only
// move the choice, and Enter, Tab or leaving the cell commits it.
class CGridEditorComboBox : public QComboBox {
    Q_OBJECT
public:
    // A text-editable drop-down gets a CGridEditorComboBoxEdit for its text.
    explicit CGridEditorComboBox(QWidget* parent, bool textEditable = false, int maxLength = 0);

    void AddItem(std::uint32_t data, const QString& text);
    // Shows the cell's text: the entry with this text, else none (a
    // text-editable drop-down shows the text itself).
    void SelectText(const QString& text);
    QString SelectedText() const;
    // The chosen entry's data; 0 when no entry is chosen (or, in a
    // text-editable drop-down, the typed text is no entry's text).
    std::uint32_t SelectedData() const;

    void showPopup() override;
    void hidePopup() override;

signals:
    // An entry was picked from the open list.
    void Picked();

private:
    bool popupShown_ = false;
};
