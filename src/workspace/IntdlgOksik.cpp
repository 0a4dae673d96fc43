#include "IntdlgOksik.h"

#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "StringTable.h"

IntdlgOksik::IntdlgOksik(Engine& engine, WindowRegistry& windows, QWidget* parent, LmpProfileStore& profiles)
    : ThermoPolyPanel(engine, windows, parent, profiles, 4, QSize(328, 278))
{
    setObjectName(QStringLiteral("IntdlgOksik"));
    using R = SettingsRow;
    using P = SensorParameters;
    namespace S = StringTable;
    auto* grid = new QGridLayout;
    int g = 0;
    AddRow(grid, g, R::One(Caption(S::kAveraging), R::Field(&P::av), R::List(Texts(377, 2), 1, R::Index()), 4, 5));
    AddRow(grid, g, R::One(Caption(S::kGain), R::Field(&P::rg), R::List(Texts(379, 5), 0, R::IndexPlusOne()), 5, 6));
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(4, 1);
    Body()->addLayout(grid);
    Body()->addWidget(NewPolyButton(), 0, Qt::AlignHCenter);
    Body()->addStretch(1);
}
