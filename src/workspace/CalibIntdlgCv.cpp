#include "CalibIntdlgCv.h"

#include "StringTable.h"

namespace {

CalibPointsPanel::Layout CvLayout()
{
    CalibPointsPanel::Layout l;
    l.caption = StringTable::Get(StringTable::kCalibrationGroup);
    l.sizeDlu = QSize(504, 47);
    return l;
}

} // namespace

CalibIntdlgCv::CalibIntdlgCv(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : CalibPointsPanel(engine, windows, parent, CvLayout())
{
    setObjectName(QStringLiteral("CalibIntdlgCv"));
}
