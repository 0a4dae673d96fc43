#include "CalibrationDialog.h"

#include "Engine.h"
#include "ForwardKey.h"

CalibrationDialog::CalibrationDialog(Engine& engine, WindowRegistry& windows, QWidget* parent) : TabPage(engine, windows, parent)
{
    setObjectName(QStringLiteral("CalibrationDialog"));
}

void CalibrationDialog::OnForwardKey(int key)
{
    if (key == ForwardKey::kF2)
        OnRereadAll();
}

void CalibrationDialog::OnRereadAll()
{
    if (Engine::IsSteadyMode(engine().mode))
        engine().ReadCalibrationSet();
}
