#pragma once

#include <QPointer>

#include "ParameterPage.h"

class HartListCtrl;
class HartLoopTestDlg;

// The "Параметры HART" page: the field device's HART identity and live
// values through the HART modem, read on request or kept fresh while the
// polling toggle is down, and the loop-current test. What needs the
// device's HART address (polling, the test) stays grey until the engine
// knows it.
class HartDialog : public ParameterPage {
    Q_OBJECT
public:
    HartDialog(Engine& engine, WindowRegistry& windows, QWidget* parent);

    HartListCtrl* List() const { return list_; }
    QPushButton* LoopTestButton() const { return loopTestButton_; }
    // The loop-current test while it is open.
    HartLoopTestDlg* LoopTest() const;

    // "Тест токовой петли".
    void OnLoopTest();

protected:
    bool RequestPolling(bool on) override;
    bool RequestRead() override;
    void RefreshList() override;
    bool PollingAvailable() const override;
    void UpdatePageButtons() override;
    void OnModeChanged(int oldMode, int newMode) override;
    void OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    void OnDeactivate() override;

private:
    // After the test: a current still fixed is released, and a release
    // that fails is told.
    void EnsureLoopCurrentReleased();

    HartListCtrl* list_;
    QPushButton* loopTestButton_ = nullptr;
    QPointer<HartLoopTestDlg> loopTest_;
    // A release this page asked for is running: its end is checked.
    bool watchRelease_ = false;
};
