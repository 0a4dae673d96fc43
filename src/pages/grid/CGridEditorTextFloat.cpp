#include "CGridEditorTextFloat.h"

CGridEditorTextFloat::CGridEditorTextFloat(QWidget* parent, int maxLength) : CGridEditorText(parent, false, maxLength)
{
}

bool CGridEditorTextFloat::IsFloatChar(QChar ch)
{
    return (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) || ch == QLatin1Char('-') || ch == QLatin1Char('.');
}

bool CGridEditorTextFloat::FilterChar(QChar& ch) const
{
    return IsFloatChar(ch);
}
