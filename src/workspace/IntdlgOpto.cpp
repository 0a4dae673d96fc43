#include "IntdlgOpto.h"

#include <QGridLayout>
#include <QVBoxLayout>

#include "StringTable.h"

IntdlgOpto::IntdlgOpto(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : WorkspacePanel(engine, windows, parent, StringTable::Get(StringTable::kSettingsGroup), QSize(328, 278))
{
    setObjectName(QStringLiteral("IntdlgOpto"));
    using R = SettingsRow;
    auto* grid = new QGridLayout;
    int g = 0;
    // The engine sends the lower explosive limit with one decimal.
    AddRow(grid, g, R::One(Caption(StringTable::kLel), R::Field(&SensorParameters::le), R::Edit("100"), 34, 36));
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(4, 1);
    Body()->addLayout(grid);
    Body()->addStretch(1);
}
