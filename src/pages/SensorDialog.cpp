#include "SensorDialog.h"

#include "Engine.h"
#include "NotificationIds.h"
#include "SensorListCtrl.h"
#include "SensorParameters.h"

SensorDialog::SensorDialog(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : ParameterPage(engine, windows, parent, Engine::kModeSensorPolling, {NotificationId::SensorParametersChanged}),
      list_(new SensorListCtrl(this))
{
    setObjectName(QStringLiteral("SensorDialog"));
    SetList(list_);
}

void SensorDialog::RefreshList()
{
    const int state = engine().LineState();
    SensorParameters sensor;
    engine().CopySensorParameters(sensor);
    list_->SetPortDeniedText(LinePortDeniedText());
    list_->Refresh(state, sensor);
}

bool SensorDialog::RequestRead()
{
    return engine().ReadSensorParameters() != 0;
}

bool SensorDialog::RequestPolling(bool on)
{
    return engine().SetSensorPolling(on) != 0;
}

void SensorDialog::OnModeChanged(int oldMode, int newMode)
{
    if (oldMode == Engine::kModeClosed && newMode == Engine::kModeIdle) {
        // The main window has just started the engine (at start-up or with
        // new connection settings) and this page is shown: connect.
        engine().Connect();
        return;
    }
    ParameterPage::OnModeChanged(oldMode, newMode);
}
