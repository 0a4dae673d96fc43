#include "IntdlgElchem.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "StringTable.h"

IntdlgElchem::IntdlgElchem(Engine& engine, WindowRegistry& windows, QWidget* parent, LmpProfileStore& profiles)
    : ThermoPolyPanel(engine, windows, parent, profiles, 3, QSize(328, 278))
{
    setObjectName(QStringLiteral("IntdlgElchem"));
    using R = SettingsRow;
    using P = SensorParameters;
    namespace S = StringTable;
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(2);
    int g = 0;
    // Each row: caption, the field shown, its input, read code, write code.
    AddRow(grid, g, R::One(Caption(S::kAveraging), R::Field(&P::av), R::List(Texts(377, 2), 1, R::Index()), 4, 5));
    AddRow(grid, g, R::One(Caption(S::kGain), R::Field(&P::rg), R::List(Texts(338, 7), 2, R::IndexPlusOne()), 5, 6));
    AddRow(grid, g, R::One(Caption(S::kLoadResistance), R::Field(&P::rl), R::List(Texts(345, 4), 1, R::Index()), 6, 7));
    AddRow(grid, g, R::One(Caption(S::kBiasBetween, S::kBiasWR), R::Field(&P::bs),
                           R::List(Texts(S::kBiasFirst, 14), 0, R::Index()), 7, 8));
    AddRow(grid, g, R::One(Caption(S::kBiasSign), R::Field(&P::sb), R::List(Texts(349, 2), 1, R::Index()), 8, 9));
    AddRow(grid, g, R::One(Caption(S::kInternalZero, S::kInternalZeroOf), R::Field(&P::iz),
                           R::List(Texts(S::kInternalZeroFirst, 3), 1, R::Index()), 9, 10));
    AddRow(grid, g, R::One(Caption(S::kReferenceSource, S::kReferenceVoltage), R::Field(&P::rs),
                           R::List(Texts(367, 2), 0, R::Index()), 10, 11));
    AddRow(grid, g, R::One(Caption(S::kShortingFet, S::kShortingFetOf), R::Field(&P::fs),
                           R::List(Texts(369, 2), 0, R::Index()), 12, 13));

    auto* heading = new QLabel(S::Get(S::kTempSensorHeading), Surface());
    heading->setAlignment(Qt::AlignCenter);
    grid->addWidget(heading, g++, 0, 1, 6);
    // The mode items skip 4 and 5: the cell knows no such modes.
    AddRow(grid, g, R::One(Caption(S::kCellMode), R::Field(&P::md),
                           R::List(Texts(371, 6), 5, R::Mapped({"0", "1", "2", "3", "6", "7"})), 11, 12));
    AddRow(grid, g, R::One(Caption(S::kSupplyVoltage), R::Field(&P::u0), R::Edit("2930", R::EditKind::Digits), 13, 14));
    AddRow(grid, g, R::One(Caption(S::kConversionFactor), R::Field(&P::kk), R::Edit("8.011"), 14, 15));
    AddRow(grid, g, R::One(Caption(S::kVoltageAtZero), R::Field(&P::ul), R::Edit("1560", R::EditKind::Digits), 15, 16));
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(4, 1);

    Body()->addLayout(grid);
    Body()->addWidget(NewPolyButton(), 0, Qt::AlignHCenter);
    Body()->addStretch(1);
}
