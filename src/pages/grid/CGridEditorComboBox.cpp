#include "CGridEditorComboBox.h"

#include <QTimer>

#include "CGridEditorComboBoxEdit.h"

CGridEditorComboBox::CGridEditorComboBox(QWidget* parent, bool textEditable, int maxLength) : QComboBox(parent)
{
    setFrame(false);
    if (textEditable) {
        setEditable(true);
        setInsertPolicy(QComboBox::NoInsert);
        setLineEdit(new CGridEditorComboBoxEdit(this, maxLength));
    }
    // A closed list also reports the arrow keys as activation; only a pick
    // from the open list is a decision.
    connect(this, qOverload<int>(&QComboBox::activated), this, [this](int) {
        if (popupShown_)
            emit Picked();
    });
}

void CGridEditorComboBox::AddItem(std::uint32_t data, const QString& text)
{
    addItem(text, QVariant::fromValue<quint32>(data));
}

void CGridEditorComboBox::SelectText(const QString& text)
{
    setCurrentIndex(findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    if (isEditable())
        setEditText(text);
}

QString CGridEditorComboBox::SelectedText() const
{
    return currentText();
}

std::uint32_t CGridEditorComboBox::SelectedData() const
{
    int index = currentIndex();
    if (isEditable())
        index = findText(currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    return index < 0 ? 0 : itemData(index).value<quint32>();
}

void CGridEditorComboBox::showPopup()
{
    popupShown_ = true;
    QComboBox::showPopup();
}

void CGridEditorComboBox::hidePopup()
{
    QComboBox::hidePopup();
    // The pick is reported after the list has closed; the mark must outlive
    // that report.
    QTimer::singleShot(0, this, [this] { popupShown_ = false; });
}
