#include "HartDialog.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "Engine.h"
#include "HartListCtrl.h"
#include "HartLoopTestDlg.h"
#include "HartParameters.h"
#include "ModalDialogs.h"
#include "NotificationIds.h"
#include "PortTexts.h"
#include "StringTable.h"

namespace {

constexpr int kLoopTestButton = 5059; // "Тест токовой петли"

} // namespace

HartDialog::HartDialog(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : ParameterPage(engine, windows, parent, Engine::kModeHartPolling,
                    {NotificationId::HartEvent, NotificationId::HartDataChanged, NotificationId::HartProgress}),
      list_(new HartListCtrl(this))
{
    setObjectName(QStringLiteral("HartDialog"));
    SetList(list_);
    loopTestButton_ = new QPushButton(StringTable::Get(kLoopTestButton), this);
    loopTestButton_->setObjectName(QStringLiteral("LoopTestButton"));
    loopTestButton_->setAutoDefault(false);
    connect(loopTestButton_, &QPushButton::clicked, this, [this] { OnLoopTest(); });
    ButtonRow()->insertWidget(2, loopTestButton_);
}

HartLoopTestDlg* HartDialog::LoopTest() const
{
    return loopTest_.data();
}

void HartDialog::RefreshList()
{
    // The state first: a record copied after it is at least as new.
    const std::uint32_t state = engine().HartState();
    HartParameters hart;
    engine().CopyHartParameters(hart);
    list_->SetPortDeniedText(engine().HartPortDenied() ? PortTexts::PermissionDenied(engine().hartPort) : QString());
    list_->Refresh(state, hart);
}

bool HartDialog::RequestRead()
{
    return engine().HartConnect() != 0;
}

bool HartDialog::RequestPolling(bool on)
{
    return engine().SetHartPolling(on) != 0;
}

bool HartDialog::PollingAvailable() const
{
    const int m = engine().mode;
    return engine().HartAddressKnownToEngine() && Engine::IsSteadyMode(m) && m != Engine::kModeCalibrationPolling &&
           m != Engine::kModeSensorLog;
}

void HartDialog::UpdatePageButtons()
{
    loopTestButton_->setEnabled(engine().HartAddressKnownToEngine() && Engine::IsSteadyMode(engine().mode));
}

void HartDialog::OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (!isEnabled())
        return;
    switch (message) {
    case NotificationId::HartProgress:
        list_->ShowProgress(unsigned(std::uint8_t(lParam)));
        return;
    case NotificationId::HartEvent:
        // The address may have become known or been lost.
        RefreshList();
        UpdateButtons();
        return;
    default:
        ParameterPage::OnWindowMessage(message, wParam, lParam);
        return;
    }
}

void HartDialog::OnModeChanged(int oldMode, int newMode)
{
    ParameterPage::OnModeChanged(oldMode, newMode);
    if (watchRelease_ && oldMode == Engine::kModeHartLoopCurrent && newMode != Engine::kModeHartLoopCurrent) {
        watchRelease_ = false;
        HartLoopTestDlg::WarnIfCurrentStillFixed(this, engine());
    }
}

void HartDialog::OnLoopTest()
{
    if (!engine().HartAddressKnownToEngine() || !Engine::IsSteadyMode(engine().mode))
        return;
    engine().StopActivity();
    SetPollingOn(false);
    UpdateButtons();
    HartLoopTestDlg dlg(engine(), windows(), this);
    dlg.current = 20.0f;
    loopTest_ = &dlg;
    ModalDialogs::Exec(dlg);
    loopTest_ = nullptr;
    // A page left while the test was open has closed the line already.
    if (isEnabled())
        EnsureLoopCurrentReleased();
    setFocus();
}

void HartDialog::EnsureLoopCurrentReleased()
{
    // The main window has shut the engine down and told what it could not
    // release.
    if (engine().mode == Engine::kModeClosed)
        return;
    if (engine().mode == Engine::kModeHartLoopCurrent) {
        // The release follows the running command (asked again: taken once).
        engine().SetHartLoopCurrent(0.0f, 0);
        watchRelease_ = true;
        return;
    }
    if (!engine().LoopCurrentFixed())
        return;
    if (engine().SetHartLoopCurrent(0.0f, 0) != 0) {
        watchRelease_ = true;
        return;
    }
    // The engine cannot start a release now: closing the line sends it.
    engine().StopActivity();
    HartLoopTestDlg::WarnIfCurrentStillFixed(this, engine());
}

void HartDialog::OnDeactivate()
{
    // The page goes away under an open test: the line is closed right
    // below, which releases the current at once.
    if (loopTest_)
        loopTest_->CloseWithoutRelease();
    ParameterPage::OnDeactivate();
    watchRelease_ = false;
    HartLoopTestDlg::WarnIfCurrentStillFixed(this, engine());
}
