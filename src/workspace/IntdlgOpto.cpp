#include "IntdlgOpto.h"

#include <QVBoxLayout>

#include "StringTable.h"

IntdlgOpto::IntdlgOpto(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : WorkspacePanel(engine, windows, parent, StringTable::Get(StringTable::kSettingsGroup), QSize(328, 278))
{
    setObjectName(QStringLiteral("IntdlgOpto"));
    Body()->addStretch(1);
}
