#pragma once

#include <QDialog>
#include <QPointer>

#include <cstdint>

#include "DevErrorMessageDlg.h"
#include "TimerDlg.h"
#include "WindowHandle.h"

class AppContext;
class CDlgTabCtrl;
class Engine;
class QLabel;
class QPushButton;

// The tool's only top-level window: the seven work pages, the version line
// and the bottom buttons. It starts and stops the engine, hands it the
// ports and passwords, runs the engine's event steps on the user-interface
// thread, and warns once per connection attempt about a missing or busy
// port.
class CKorvanSensorSetupDlg : public QDialog {
    Q_OBJECT
public:
    explicit CKorvanSensorSetupDlg(AppContext& app, QWidget* parent = nullptr);
    ~CKorvanSensorSetupDlg() override;

    CDlgTabCtrl* TabCtrl() const { return tab_; }
    QLabel* VersionLine() const { return version_; }
    QPushButton* TimerButton() const { return timerButton_; }
    QPushButton* PasswordButton() const { return passwordButton_; }
    QPushButton* ConnectionButton() const { return connectionButton_; }
    QPushButton* CloseButton() const { return closeButton_; }
    WindowHandle Handle() const { return handle_; }
    // The stopwatch and the sensor-error window while they are open.
    TimerDlg* Stopwatch() const { return stopwatch_; }
    DevErrorMessageDlg* SensorErrors() const { return sensorErrors_; }

    bool ModbusWarningArmed() const { return modbusWarningArmed_; }
    bool HartWarningArmed() const { return hartWarningArmed_; }

    // The version line for a product version of four 16-bit parts.
    static QString VersionText(unsigned major, unsigned minor, unsigned patch, unsigned tweak);

public slots:
    // Enter: nothing.
    void accept() override;
    // "Закрыть", Esc on the window itself and the close box.
    void reject() override;
    // The tool is asked to end (the window's close, a signal, the session's
    // end): the engine stops, which releases a fixed HART loop current.
    // With `mayAsk` a release that failed is told in a warning box; without
    // (nobody may be there to answer it) on the standard error stream.
    void Quit(bool mayAsk);
    void OnConnectionSettings();
    void OnPassword();
    void OnTimer();

protected:
    void customEvent(QEvent* event) override;

private:
    void OnInitDialog();
    void ShutDown();
    void OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
    void OnModeChanged(int oldMode, int newMode);
    void HandSettingsToEngine();
    void HandPasswordsToEngine();
    void ArmPortWarnings();
    void StopWorkers();
    void OpenSensorErrorsOnError();

    AppContext& app_;
    Engine& engine_;
    WindowHandle handle_;
    CDlgTabCtrl* tab_ = nullptr;
    QLabel* version_ = nullptr;
    QPushButton* timerButton_ = nullptr;
    QPushButton* passwordButton_ = nullptr;
    QPushButton* connectionButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    bool modbusWarningArmed_ = false;
    bool hartWarningArmed_ = false;
    bool shutDown_ = false;
    // Modeless tool windows, children of this one: created on demand,
    // destroyed when closed and with this window.
    QPointer<TimerDlg> stopwatch_;
    QPointer<DevErrorMessageDlg> sensorErrors_;
};
