#include "IntdlgTCatBrdg.h"

#include <QGridLayout>
#include <QVBoxLayout>

#include "StringTable.h"

IntdlgTCatBrdg::IntdlgTCatBrdg(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : WorkspacePanel(engine, windows, parent, StringTable::Get(StringTable::kSettingsGroup), QSize(328, 278))
{
    setObjectName(QStringLiteral("IntdlgTCatBrdg"));
    using R = SettingsRow;
    using P = SensorParameters;
    namespace S = StringTable;
    auto* grid = new QGridLayout;
    int g = 0;
    AddRow(grid, g, R::One(Caption(S::kHeating), R::Field(&P::heater), R::List(Texts(351, 2), 1, R::Index()), 17, 18));
    // Balancing the bridge is a command of its own: the button stands for
    // the value 1.
    R::Spec balance = R::One(Caption(S::kBridgeBalance, S::kOfBridge), R::Field(&P::bb), std::nullopt, 18, 19);
    balance.writeCaption = S::Get(S::kBalance);
    balance.fixedTexts = {"1"};
    AddRow(grid, g, std::move(balance));
    AddRow(grid, g, R::One(Caption(S::kGain), R::Field(&P::rg), R::List({"1", "2", "4", "8"}, 0, R::ItemText()), 5, 6));
    AddRow(grid, g, R::One(Caption(S::kAdcBits), R::Field(&P::br),
                           R::List({"12", "14", "15", "16"}, 3, R::ItemText()), 19, 20));
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(4, 1);
    Body()->addLayout(grid);
    Body()->addStretch(1);
}
