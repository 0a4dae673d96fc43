#include "AppIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

static void InitAppIconResource()
{
    // The resource lives in a static library: its initialiser must be
    // referenced, or the linker drops it.
    Q_INIT_RESOURCE(appicon);
}

namespace AppIcon {

QString SvgPath()
{
    return QStringLiteral(":/icons/KorvanSensorSetup.svg");
}

QIcon Icon()
{
    InitAppIconResource();
    QSvgRenderer renderer(SvgPath());
    if (!renderer.isValid())
        return {};
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace AppIcon
