#include "CalibTemperaturePanel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <cctype>
#include <climits>

#include "Engine.h"
#include "MessageBoxes.h"
#include "StringTable.h"

long CalibTemperaturePanel::HeaterValue(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])) != 0)
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) != 0; ++i) {
        // A long run of digits is still "not 0"; it must not wrap to 0.
        if (value < LONG_MAX / 10)
            value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

CalibTemperaturePanel::CalibTemperaturePanel(Engine& engine, WindowRegistry& windows, QWidget* parent,
                                             const QString& initialTemperature, int writeCode, int readCode,
                                             int firstResistanceText, int resistanceTexts)
    : WorkspacePanel(engine, windows, parent, QString(), QSize(466, 31))
{
    using R = SettingsRow;
    using P = SensorParameters;
    namespace S = StringTable;
    auto* halves = new QHBoxLayout;
    auto* left = new QGridLayout;
    auto* right = new QGridLayout;
    left->setVerticalSpacing(2);
    right->setVerticalSpacing(2);
    int l = 0;
    int r = 0;
    R::Spec calibrate = R::One({S::Get(S::kCalibTemperature)}, R::FieldText(), R::Edit(initialTemperature), -1, writeCode);
    calibrate.writeCaption = S::Get(S::kCalibButton);
    AddRow(left, l, std::move(calibrate))->SetWriteGuard([this] { return HeaterOff(); });
    R::Spec resistances;
    resistances.readCode = readCode;
    for (int i = 0; i < resistanceTexts; ++i)
        resistances.lines.push_back(R::Line{S::Get(firstResistanceText + i), R::Field(&P::r0Values, std::size_t(i)), std::nullopt});
    AddRow(right, r, std::move(resistances));
    left->setColumnStretch(4, 1);
    right->setColumnStretch(2, 1);
    halves->addLayout(left, 1);
    halves->addSpacing(fontMetrics().horizontalAdvance(QLatin1Char('M')));
    halves->addLayout(right, 1);
    Body()->addLayout(halves);
    Body()->addStretch(1);
}

bool CalibTemperaturePanel::HeaterOff()
{
    SensorParameters p;
    engine().CopySensorParameters(p);
    if (p.heater.valid == 1 && HeaterValue(p.heater.text) != 0) {
        MessageBoxes::Request box;
        box.parent = this;
        box.caption = StringTable::Get(269);
        box.text = StringTable::Get(270);
        box.icon = MessageBoxes::Icon::Exclamation;
        box.buttons = MessageBoxes::Buttons::Ok;
        MessageBoxes::Show(box);
        return false;
    }
    return true;
}

CalibIntdlgTemSemi::CalibIntdlgTemSemi(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : CalibTemperaturePanel(engine, windows, parent, QStringLiteral("23"), 31, 30, StringTable::kCalibR20, 2)
{
    setObjectName(QStringLiteral("CalibIntdlgTemSemi"));
}

CalibIntdlgTemTCatpwr::CalibIntdlgTemTCatpwr(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : CalibTemperaturePanel(engine, windows, parent, QString(), 33, 32, StringTable::kCalibRCat20, 4)
{
    setObjectName(QStringLiteral("CalibIntdlgTemTCatpwr"));
}
