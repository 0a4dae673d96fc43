#include "CalibIntdlgSelectSemi.h"

#include <QVBoxLayout>

#include "StringTable.h"

CalibIntdlgSelectSemi::CalibIntdlgSelectSemi(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : WorkspacePanel(engine, windows, parent, StringTable::Get(StringTable::kCalibrationGroup), QSize(556, 47))
{
    setObjectName(QStringLiteral("CalibIntdlgSelectSemi"));
    Body()->addStretch(1);
}
