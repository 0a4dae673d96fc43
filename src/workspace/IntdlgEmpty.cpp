#include "IntdlgEmpty.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "StringTable.h"

IntdlgEmpty::IntdlgEmpty(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : WorkspacePanel(engine, windows, parent, StringTable::Get(StringTable::kSettingsGroup), QSize(328, 278))
{
    setObjectName(QStringLiteral("IntdlgEmpty"));
    auto* label = new QLabel(StringTable::Get(StringTable::kNoSettings), Frame());
    label->setAlignment(Qt::AlignCenter);
    Body()->addWidget(label);
    Body()->addStretch(1);
}
