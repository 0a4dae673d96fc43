#include "IntdlgTCatBrdg.h"

#include <QVBoxLayout>

#include "StringTable.h"

IntdlgTCatBrdg::IntdlgTCatBrdg(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : WorkspacePanel(engine, windows, parent, StringTable::Get(StringTable::kSettingsGroup), QSize(328, 278))
{
    setObjectName(QStringLiteral("IntdlgTCatBrdg"));
    Body()->addStretch(1);
}
