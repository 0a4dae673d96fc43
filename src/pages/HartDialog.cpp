#include "HartDialog.h"

#include "Engine.h"
#include "ForwardKey.h"

HartDialog::HartDialog(Engine& engine, WindowRegistry& windows, QWidget* parent) : TabPage(engine, windows, parent)
{
    setObjectName(QStringLiteral("HartDialog"));
}

void HartDialog::OnForwardKey(int key)
{
    if (key == ForwardKey::kF2)
        OnRead();
}

void HartDialog::OnRead()
{
    if (Engine::IsSteadyMode(engine().mode))
        engine().HartConnect();
}
