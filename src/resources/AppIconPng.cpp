#include "AppIcon.h"

#include <QPixmap>

// The build without Qt SVG (the Windows build, whose Qt is built here
// without it) takes the icon from PNGs drawn from the same SVG; a test of
// the Linux build keeps them equal to what the SVG draws.
static void InitAppIconResource()
{
    // The resource lives in a static library: its initialiser must be
    // referenced, or the linker drops it.
    Q_INIT_RESOURCE(appicon);
    Q_INIT_RESOURCE(appicon_png);
}

namespace AppIcon {

QString SvgPath()
{
    return QStringLiteral(":/icons/KorvanSensorSetup.svg");
}

QIcon Icon()
{
    InitAppIconResource();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap;
        if (pixmap.load(QStringLiteral(":/icons/png/KorvanSensorSetup-%1.png").arg(size)))
            icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace AppIcon
