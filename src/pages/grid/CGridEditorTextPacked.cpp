#include "CGridEditorTextPacked.h"

CGridEditorTextPacked::CGridEditorTextPacked(QWidget* parent, int maxLength) : CGridEditorText(parent, false, maxLength)
{
}

bool CGridEditorTextPacked::PackChar(QChar& ch)
{
    const char16_t code = ch.unicode();
    if (code >= u'a' && code <= u'z') {
        ch = QChar(char16_t(code - u'a' + u'A'));
        return true;
    }
    // Control characters cannot be packed either; a pasted tab would only
    // turn into "@" later.
    return code >= 32 && code <= 95;
}

bool CGridEditorTextPacked::FilterChar(QChar& ch) const
{
    return PackChar(ch);
}
