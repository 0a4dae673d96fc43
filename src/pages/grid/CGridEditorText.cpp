#include "CGridEditorText.h"

#include <algorithm>

namespace {

class EditorValidator : public QValidator {
public:
    explicit EditorValidator(CGridEditorText& editor) : QValidator(&editor), editor_(editor) {}

    State validate(QString& input, int& pos) const override { return editor_.ValidateChange(input, pos); }

private:
    CGridEditorText& editor_;
};

}  // namespace

CGridEditorText::CGridEditorText(QWidget* parent, bool digitsOnly, int maxLength)
    : QLineEdit(parent), digitsOnly_(digitsOnly), maxLength_(maxLength < 0 ? 0 : maxLength)
{
    // The cell's own row frames the editor.
    setFrame(false);
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) { accepted_ = text; });
    setValidator(new EditorValidator(*this));
}

void CGridEditorText::LoadText(const QString& text)
{
    loading_ = true;
    setText(text);
    loading_ = false;
    accepted_ = text;
    selectAll();
}

bool CGridEditorText::FilterTextChar(QChar& ch, bool digitsOnly)
{
    if (!digitsOnly)
        return true;
    return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
}

bool CGridEditorText::FilterChar(QChar& ch) const
{
    return FilterTextChar(ch, digitsOnly_);
}

QValidator::State CGridEditorText::ValidateChange(QString& input, int& pos) const
{
    if (loading_)
        return QValidator::Acceptable;

    const QString& old = accepted_;
    const qsizetype common = std::min(old.size(), input.size());
    qsizetype prefix = 0;
    while (prefix < common && old[prefix] == input[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < common - prefix && old[old.size() - 1 - suffix] == input[input.size() - 1 - suffix])
        ++suffix;
    QString inserted = input.mid(prefix, input.size() - prefix - suffix);
    if (inserted.isEmpty())
        return QValidator::Acceptable;

    // A paste with one refused character is refused whole: dropping the
    // character would turn "1,5" into a quite different "15".
    for (QChar& ch : inserted) {
        if (!FilterChar(ch))
            return QValidator::Invalid;
    }
    if (maxLength_ > 0) {
        const qsizetype room = maxLength_ - (input.size() - inserted.size());
        if (room <= 0)
            return QValidator::Invalid;
        if (inserted.size() > room)
            inserted.truncate(room);
    }
    input = input.left(prefix) + inserted + input.right(suffix);
    pos = int(prefix + inserted.size());
    return QValidator::Acceptable;
}
