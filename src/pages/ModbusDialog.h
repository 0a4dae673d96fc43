#pragma once

#include "ParameterPage.h"

class ModbusListCtrl;

// The "Параметры прибора" page: the detector's own registers and the
// sensor's Modbus identifier, read once on request or kept fresh while the
// polling toggle is down.
class ModbusDialog : public ParameterPage {
    Q_OBJECT
public:
    ModbusDialog(Engine& engine, WindowRegistry& windows, QWidget* parent);

    ModbusListCtrl* List() const { return list_; }

protected:
    bool RequestPolling(bool on) override;
    bool RequestRead() override;
    void RefreshList() override;

private:
    ModbusListCtrl* list_;
};
