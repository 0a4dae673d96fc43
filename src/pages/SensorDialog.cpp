#include "SensorDialog.h"

#include "Engine.h"
#include "NotificationIds.h"
#include "SensorListCtrl.h"
#include "SensorParameters.h"

SensorDialog::SensorDialog(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : ParameterPage(engine, windows, parent), list_(new SensorListCtrl(this))
{
    setObjectName(QStringLiteral("SensorDialog"));
    SetList(list_);
}

void SensorDialog::RefreshList()
{
    const int state = engine().LineState();
    SensorParameters sensor;
    engine().CopySensorParameters(sensor);
    list_->Refresh(state, sensor);
}

void SensorDialog::OnActivate()
{
    RefreshList();
    UpdateButtons();
    SetPollingOn(false);
    Register(NotificationId::ModeChanged);
    Register(NotificationId::LineTaskEvent);
    Register(NotificationId::SensorParametersChanged);
}

void SensorDialog::OnRead()
{
    if (!Engine::IsSteadyMode(engine().mode))
        return;
    list_->EnterReadingState();
    if (!engine().ReadSensorParameters())
        RefreshList();
    SetPollingOn(false);
}

bool SensorDialog::RequestPolling(bool on)
{
    return engine().SetSensorPolling(on) != 0;
}

void SensorDialog::OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
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
        if (oldMode == Engine::kModeClosed && newMode == Engine::kModeIdle) {
            // The main window has just started the engine (at start-up or
            // with new connection settings) and this page is shown: connect.
            engine().Connect();
        } else if (oldMode == Engine::kModeSensorPolling) {
            SetPollingOn(newMode == Engine::kModeSensorPolling);
        } else if (newMode == Engine::kModeSensorPolling) {
            SetPollingOn(true);
        }
        return;
    }
    case NotificationId::LineTaskEvent:
        RefreshList();
        UpdateButtons();
        return;
    case NotificationId::SensorParametersChanged:
        RefreshList();
        return;
    case ParameterListCtrl::WM_EDITS_CHANGED:
        UpdateButtons();
        return;
    default:
        return;
    }
}
