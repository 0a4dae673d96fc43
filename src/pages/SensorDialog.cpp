#include "SensorDialog.h"

#include "Engine.h"
#include "ForwardKey.h"

SensorDialog::SensorDialog(Engine& engine, WindowRegistry& windows, QWidget* parent) : TabPage(engine, windows, parent)
{
    setObjectName(QStringLiteral("SensorDialog"));
}

void SensorDialog::OnForwardKey(int key)
{
    if (key == ForwardKey::kF2)
        OnRead();
}

void SensorDialog::OnRead()
{
    if (Engine::IsSteadyMode(engine().mode))
        engine().ReadSensorParameters();
}
