#include "CalibIntdlgCv.h"

#include <QVBoxLayout>

#include "StringTable.h"

CalibIntdlgCv::CalibIntdlgCv(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : WorkspacePanel(engine, windows, parent, StringTable::Get(StringTable::kCalibrationGroup), QSize(504, 47))
{
    setObjectName(QStringLiteral("CalibIntdlgCv"));
    Body()->addStretch(1);
}
