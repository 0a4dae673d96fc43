#pragma once

#include "CGridEditorText.h"

// The number editor: digits, "-" and "." only; a comma never gets in, since
// the device takes "12.3" and nothing else.
class CGridEditorTextFloat : public CGridEditorText {
    Q_OBJECT
public:
    explicit CGridEditorTextFloat(QWidget* parent, int maxLength = 0);

    static bool IsFloatChar(QChar ch);

protected:
    bool FilterChar(QChar& ch) const override;
};
