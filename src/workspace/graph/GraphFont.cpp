#include "GraphFont.h"

QFont GraphFont(int pixelHeight)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Normal);
    font.setPixelSize(pixelHeight);
    return font;
}
