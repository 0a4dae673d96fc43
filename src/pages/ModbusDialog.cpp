#include "ModbusDialog.h"

#include "Engine.h"
#include "ForwardKey.h"

ModbusDialog::ModbusDialog(Engine& engine, WindowRegistry& windows, QWidget* parent) : TabPage(engine, windows, parent)
{
    setObjectName(QStringLiteral("ModbusDialog"));
}

void ModbusDialog::OnForwardKey(int key)
{
    if (key == ForwardKey::kF2)
        OnRead();
}

void ModbusDialog::OnRead()
{
    if (Engine::IsSteadyMode(engine().mode))
        engine().ReadDeviceParameters();
}
