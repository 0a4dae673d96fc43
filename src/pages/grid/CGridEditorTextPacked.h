#pragma once

#include "CGridEditorText.h"

// The HART packed-text editor. Packed ASCII carries the characters from
// blank to "_" only: a-z are taken in upper case, and everything from "`"
// upward — Cyrillic included — is refused as it is typed.
class CGridEditorTextPacked : public CGridEditorText {
    Q_OBJECT
public:
    explicit CGridEditorTextPacked(QWidget* parent, int maxLength = 0);

    // False for a character packed text cannot carry; a-z come back upper.
    static bool PackChar(QChar& ch);

protected:
    bool FilterChar(QChar& ch) const override;
};
