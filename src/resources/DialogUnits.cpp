#include "DialogUnits.h"

#include <QFontMetrics>
#include <QString>

QSize DluToPixels(const QFontMetrics& fm, int width, int height)
{
    // The horizontal base unit is the mean width of the Latin letters, as
    // the templates were laid out with; the vertical one the line height.
    static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const double baseX = fm.horizontalAdvance(letters) / double(letters.size());
    const double baseY = fm.height();
    return {qRound(width * baseX / 4), qRound(height * baseY / 8)};
}
