#include "CalibIntdlgSelectTCatpwr.h"

#include <QVBoxLayout>

#include "StringTable.h"

CalibIntdlgSelectTCatpwr::CalibIntdlgSelectTCatpwr(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : WorkspacePanel(engine, windows, parent, StringTable::Get(StringTable::kCalibrationGroup), QSize(556, 47))
{
    setObjectName(QStringLiteral("CalibIntdlgSelectTCatpwr"));
    Body()->addStretch(1);
}
