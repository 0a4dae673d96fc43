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

    void OnRead() override;

protected:
    void OnActivate() override;
    void OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    bool RequestPolling(bool on) override;

private:
    void RefreshList();

    SensorListCtrl* list_;
};
