#include "ModbusDialog.h"

#include "DeviceParameters.h"
#include "Engine.h"
#include "ModbusListCtrl.h"
#include "NotificationIds.h"
#include "SensorParameters.h"

ModbusDialog::ModbusDialog(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : ParameterPage(engine, windows, parent), list_(new ModbusListCtrl(this))
{
    setObjectName(QStringLiteral("ModbusDialog"));
    SetList(list_);
}

void ModbusDialog::RefreshList()
{
    // The state first: records copied after it are at least as new as what
    // the state says about them.
    const int state = engine().LineState();
    SensorParameters sensor;
    DeviceParameters device;
    engine().CopySensorParameters(sensor);
    engine().CopyDeviceParameters(device);
    list_->Refresh(state, sensor, device);
}

void ModbusDialog::OnActivate()
{
    RefreshList();
    UpdateButtons();
    SetPollingOn(false);
    Register(NotificationId::ModeChanged);
    Register(NotificationId::LineTaskEvent);
    Register(NotificationId::SensorParametersChanged);
    Register(NotificationId::DeviceParametersChanged);
}

void ModbusDialog::OnRead()
{
    if (!Engine::IsSteadyMode(engine().mode))
        return;
    list_->EnterReadingState();
    if (!engine().ReadDeviceParameters())
        RefreshList();
    SetPollingOn(false);
}

bool ModbusDialog::RequestPolling(bool on)
{
    return engine().SetDevicePolling(on) != 0;
}

void ModbusDialog::OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    // A notification posted before the page was left may still arrive.
    if (!isEnabled())
        return;
    switch (message) {
    case NotificationId::ModeChanged: {
        const int oldMode = int(wParam);
        const int newMode = int(lParam);
        UpdateButtons();
        RefreshList();
        if (oldMode == Engine::kModeDevicePolling || newMode == Engine::kModeDevicePolling)
            SetPollingOn(newMode == Engine::kModeDevicePolling);
        return;
    }
    case NotificationId::LineTaskEvent:
        RefreshList();
        UpdateButtons();
        return;
    case NotificationId::SensorParametersChanged:
    case NotificationId::DeviceParametersChanged:
        RefreshList();
        return;
    case ParameterListCtrl::WM_EDITS_CHANGED:
        UpdateButtons();
        return;
    default:
        return;
    }
}
