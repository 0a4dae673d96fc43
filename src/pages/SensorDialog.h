#pragma once

#include "ParameterPage.h"

class SensorListCtrl;

// The "Параметры сенсора" page: the sensor module's identification and
// measurements. It is the page shown at start-up, so it also makes the
// engine's first connection.
class SensorDialog : public ParameterPage {
    Q_OBJECT
public:
    SensorDialog(Engine& engine, WindowRegistry& windows, QWidget* parent);

    SensorListCtrl* List() const { return list_; }

protected:
    bool RequestPolling(bool on) override;
    bool RequestRead() override;
    void RefreshList() override;
    void OnModeChanged(int oldMode, int newMode) override;

private:
    SensorListCtrl* list_;
};
