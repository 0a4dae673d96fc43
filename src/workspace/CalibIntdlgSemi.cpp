#include "CalibIntdlgSemi.h"

namespace {

CalibPointsPanel::Layout SemiLayout()
{
    CalibPointsPanel::Layout l;
    l.sizeDlu = QSize(466, 31);
    l.sensitivity = true;
    l.c1 = QStringLiteral("0");
    l.c2 = QStringLiteral("1");
    l.raw1 = QStringLiteral("1500000");
    l.raw2 = QStringLiteral("250000");
    return l;
}

} // namespace

CalibIntdlgSemi::CalibIntdlgSemi(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : CalibPointsPanel(engine, windows, parent, SemiLayout())
{
    setObjectName(QStringLiteral("CalibIntdlgSemi"));
}
