#include "IntdlgTCatpwr.h"

#include <QGridLayout>
#include <QVBoxLayout>

#include "StringTable.h"

IntdlgTCatpwr::IntdlgTCatpwr(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : WorkspacePanel(engine, windows, parent, QString(), QSize(327, 221))
{
    setObjectName(QStringLiteral("IntdlgTCatpwr"));
    using R = SettingsRow;
    using P = SensorParameters;
    namespace S = StringTable;
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(2);
    int g = 0;
    AddRow(grid, g, R::One(Caption(S::kHeating), R::Field(&P::heater), R::List(Texts(351, 2), 1, R::Index()), 17, 18));
    AddRow(grid, g, R::One(Caption(S::kTemperature, S::kOfHeating), R::Field(&P::tg), R::Edit("450"), 20, 21));
    // The heaters' regulation: four values read and written as one; the
    // write goes out only with all four.
    R::Spec stabilisation;
    stabilisation.caption = Caption(S::kParametersOf, S::kStabilisation);
    stabilisation.readCode = 33;
    stabilisation.writeCode = 34;
    const char* initial[] = {"100", "10000", "200", "1"};
    for (std::size_t i = 0; i < 4; ++i)
        stabilisation.lines.push_back(
            R::Line{S::Get(S::kStabilisationFirst + int(i)), R::Field(&P::cpValues, i), R::Edit(initial[i])});
    AddRow(grid, g, std::move(stabilisation));
    AddRow(grid, g, R::One(Caption(S::kKts), R::Field(&P::kt), R::Edit("0.0034"), 22, 23));
    AddRow(grid, g, R::One(Caption(S::kMaxTemperature, S::kOfHeating), R::Field(&P::mg), R::Edit("550"), 25, 26));
    AddRow(grid, g, R::One(Caption(S::kMaxValue, S::kPwmShort), R::Field(&P::mp), R::Edit("24000"), 26, 27));
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(4, 1);
    Body()->addLayout(grid);
    Body()->addStretch(1);
}
