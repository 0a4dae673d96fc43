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

    void OnRead() override;

protected:
    void OnActivate() override;
    void OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    bool RequestPolling(bool on) override;

private:
    void RefreshList();

    ModbusListCtrl* list_;
};
