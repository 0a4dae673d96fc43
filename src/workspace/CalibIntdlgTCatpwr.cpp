#include "CalibIntdlgTCatpwr.h"

namespace {

CalibPointsPanel::Layout TCatpwrLayout()
{
    CalibPointsPanel::Layout l;
    l.sizeDlu = QSize(466, 31);
    l.sensitivity = true;
    l.c1 = QStringLiteral("0");
    l.c2 = QStringLiteral("1");
    l.raw1 = QString();
    l.raw2 = QString();
    return l;
}

} // namespace

CalibIntdlgTCatpwr::CalibIntdlgTCatpwr(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : CalibPointsPanel(engine, windows, parent, TCatpwrLayout())
{
    setObjectName(QStringLiteral("CalibIntdlgTCatpwr"));
}
