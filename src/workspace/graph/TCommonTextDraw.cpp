#include "TCommonTextDraw.h"

#include <QFontMetrics>
#include <QPainter>

#include "GraphFont.h"

bool TCommonTextDraw::ChooseFont(const QPainter& painter, const QRect& rect, const QString& text)
{
    for (int h = maxHeight_; h >= 2; --h) {
        QFont font = GraphFont(h);
        const QFontMetrics fm(font, painter.device());
        if (fm.horizontalAdvance(text) <= rect.width() && fm.height() <= rect.height()) {
            font_ = font;
            currentHeight_ = h;
            return true;
        }
    }
    return false;
}

void TCommonTextDraw::Draw(QPainter& painter, const QRect& rect, const QString& text, const QColor& colour)
{
    if (text.isEmpty())
        return;
    if (!font_ && !ChooseFont(painter, rect, text))
        return;
    painter.save();
    painter.setFont(*font_);
    painter.setPen(colour);
    painter.setBackgroundMode(Qt::TransparentMode);
    const QFontMetrics fm(*font_, painter.device());
    const int width = fm.horizontalAdvance(text);
    const int x = std::max(rect.left(), rect.left() + (rect.width() - width) / 2);
    const int y = rect.top() + (rect.height() - fm.height()) / 2;
    painter.drawText(x, y + fm.ascent(), text);
    painter.restore();
}

void TCommonTextDraw::Reset()
{
    font_.reset();
    currentHeight_ = -1;
}
