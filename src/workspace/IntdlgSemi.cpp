#include "IntdlgSemi.h"

#include <QGridLayout>
#include <QVBoxLayout>

#include "StringTable.h"

IntdlgSemi::IntdlgSemi(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : WorkspacePanel(engine, windows, parent, QString(), QSize(327, 184))
{
    setObjectName(QStringLiteral("IntdlgSemi"));
    using R = SettingsRow;
    using P = SensorParameters;
    namespace S = StringTable;
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(2);
    int g = 0;
    AddRow(grid, g, R::One(Caption(S::kHeating), R::Field(&P::heater), R::List(Texts(351, 2), 1, R::Index()), 17, 18));
    AddRow(grid, g, R::One(Caption(S::kTemperature, S::kOfHeating), R::Field(&P::tg), R::Edit("400"), 20, 21));
    AddRow(grid, g, R::One(Caption(S::kCoefficient, S::kAlpha), R::Field(&P::a1), R::Edit("0.01"), 21, 22));
    AddRow(grid, g, R::One(Caption(S::kKts), R::Field(&P::kt), R::Edit("0.0028"), 22, 23));
    // The sensor measures its normal temperature itself: read only.
    AddRow(grid, g, R::One(Caption(S::kNormal, S::kTemperatureLower), R::Field(&P::t0), std::nullopt, 23));
    AddRow(grid, g, R::One(Caption(S::kNormal, S::kHumidityLower), R::Field(&P::h0), R::Edit("60"), 24, 25));
    AddRow(grid, g, R::One(Caption(S::kMaxTemperature, S::kOfHeating), R::Field(&P::mg), R::Edit("550"), 25, 26));
    AddRow(grid, g, R::One(Caption(S::kMaxValue, S::kPwmShort), R::Field(&P::mp), R::Edit("7600"), 26, 27));
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(4, 1);
    Body()->addLayout(grid);
    Body()->addStretch(1);
}
