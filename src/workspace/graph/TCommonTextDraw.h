#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include <optional>

class QPainter;

// One line of text centred in a box, in the largest font that fits it.
// The font chosen for the first text stays for the texts after it until
// Reset(), so a box keeps one size while its value changes.
class TCommonTextDraw {
public:
    explicit TCommonTextDraw(int maxHeight = 200) : maxHeight_(maxHeight) {}
    virtual ~TCommonTextDraw() = default;

    // Draws `text` centred in `rect`; nothing for an empty text or one that
    // does not fit even at height 2.
    void Draw(QPainter& painter, const QRect& rect, const QString& text, const QColor& colour);
    // Forgets the font: the next Draw chooses again.
    virtual void Reset();

    int MaxHeight() const { return maxHeight_; }
    // The chosen character height, -1 while none is chosen.
    int CurrentHeight() const { return currentHeight_; }
    bool HasFont() const { return font_.has_value(); }

private:
    bool ChooseFont(const QPainter& painter, const QRect& rect, const QString& text);

    int maxHeight_;
    std::optional<QFont> font_;
    int currentHeight_ = -1;
};
