#pragma once

#include <QChar>
#include <QLineEdit>
#include <QValidator>

// The in-place one-line text editor. Its typing rule is checked on every
// character that enters the editor, typed or pasted, so a refused character
// never shows up in it; text already in the cell is left as it is, so a
// device value that breaks the rule can still be corrected. The length
// limit works the same way: it stops typing and cuts a paste, but never
// cuts the cell's own text.
class CGridEditorText : public QLineEdit {
    Q_OBJECT
public:
    CGridEditorText(QWidget* parent, bool digitsOnly = false, int maxLength = 0);

    // Puts the cell's text into the editor, past the typing rules.
    void LoadText(const QString& text);

    bool IsDigitsOnly() const { return digitsOnly_; }
    int MaxLength() const { return maxLength_; }

    // The rule of the plain editor: digits only when so set, else anything.
    static bool FilterTextChar(QChar& ch, bool digitsOnly);

    // What the editor makes of a change from its last text to `input`:
    // the inserted characters are filtered (and may change) or the whole
    // change is refused. Used by the editor's validator.
    QValidator::State ValidateChange(QString& input, int& pos) const;

protected:
    // The typing rule for one character: false refuses it; the character
    // may come back changed.
    virtual bool FilterChar(QChar& ch) const;

private:
    bool digitsOnly_;
    int maxLength_;
    bool loading_ = false;
    // The text as last accepted: a change is judged by what it inserts.
    QString accepted_;
};
