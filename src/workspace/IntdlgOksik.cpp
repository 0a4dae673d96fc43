#include "IntdlgOksik.h"

#include <QVBoxLayout>

#include "StringTable.h"

IntdlgOksik::IntdlgOksik(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : WorkspacePanel(engine, windows, parent, StringTable::Get(StringTable::kSettingsGroup), QSize(328, 278))
{
    setObjectName(QStringLiteral("IntdlgOksik"));
    Body()->addStretch(1);
}
