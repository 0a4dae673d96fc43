#include "IntdlgElchem.h"

#include <QVBoxLayout>

#include "StringTable.h"

IntdlgElchem::IntdlgElchem(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : WorkspacePanel(engine, windows, parent, StringTable::Get(StringTable::kSettingsGroup), QSize(328, 278))
{
    setObjectName(QStringLiteral("IntdlgElchem"));
    Body()->addStretch(1);
}
