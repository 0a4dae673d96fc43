#include "DialogUnits.h"

#include <QFontMetrics>
#include <QString>
#include <QtGlobal>

namespace DialogUnits {

QSize ToPixels(const QFontMetrics& fm, int widthDlu, int heightDlu)
{
    static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const double baseX = fm.horizontalAdvance(letters) / double(letters.size());
    const double baseY = fm.height();
    return {qRound(widthDlu * baseX / 4), qRound(heightDlu * baseY / 8)};
}

} // namespace DialogUnits
