#include "ModbusDialog.h"

#include "DeviceParameters.h"
#include "Engine.h"
#include "ModbusListCtrl.h"
#include "NotificationIds.h"
#include "SensorParameters.h"

ModbusDialog::ModbusDialog(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : ParameterPage(engine, windows, parent, Engine::kModeDevicePolling,
                    {NotificationId::SensorParametersChanged, NotificationId::DeviceParametersChanged}),
      list_(new ModbusListCtrl(this))
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
    list_->SetPortDeniedText(LinePortDeniedText());
    list_->Refresh(state, sensor, device);
}

bool ModbusDialog::RequestRead()
{
    return engine().ReadDeviceParameters() != 0;
}

bool ModbusDialog::RequestPolling(bool on)
{
    return engine().SetDevicePolling(on) != 0;
}
