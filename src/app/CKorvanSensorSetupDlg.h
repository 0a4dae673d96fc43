#pragma once

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QRect>

#include <cstdint>
#include <optional>

#include "DevErrorMessageDlg.h"
#include "Engine.h"
#include "TimerDlg.h"
#include "WindowHandle.h"

class AppContext;
class CDlgTabCtrl;
class QLabel;
class QPushButton;

// The tool's only top-level window: the seven work pages, the version line
// and the bottom buttons. It starts and stops the engine, hands it the
// ports and passwords, runs the engine's event steps on the user-interface
// thread, and warns once per connection attempt about a missing or busy
// port. It opens no larger than the screen, may be resized (the pages take
// the room, the buttons keep their size) and remembers where it stood; Esc
// belongs to the pages, and closing over running work asks first.
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

    // Room kept around the client area for the window's frame and title
    // bar, which the window system adds outside it.
    static constexpr int kFrameWidth = 16;
    static constexpr int kFrameHeight = 48;
    // Where the window opens: the `remembered` client rectangle while it
    // still lies whole in the available area of one of `screens` and is not
    // below `minimum`; otherwise `wanted`, cut to `available` less the
    // frame (never below `minimum`), centred in `available`.
    static QRect InitialGeometry(const QSize& wanted, const QSize& minimum, const QRect& available,
                                 const QList<QRect>& screens, const std::optional<QRect>& remembered);
    // The question asked before closing over running work.
    static QString CloseQuestion(const Engine::WorkAtStake& work);

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
    // Esc is the shown page's key (a journal read stops on it): it never
    // closes the window.
    void keyPressEvent(QKeyEvent* event) override;

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
    // Size and place before the first show; the placement is saved when the
    // window closes.
    void PlaceWindow();
    void SavePlacement();
    // Whether the engineer lets the window close over what is running.
    bool ConfirmClose();
    // After a dialog over the window: the keys go to the page again, not
    // to the button that opened the dialog.
    void FocusShownPage();
    QString PortUnavailableText(int port, bool permissionDenied, int textId) const;

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
