#include "CKorvanSensorSetupDlg.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QVBoxLayout>

#include <algorithm>

#include <cstdio>

#include "AppContext.h"
#include "CDlgTabCtrl.h"
#include "ConnectionDlg.h"
#include "Cp1251.h"
#include "DevErrorMessageDlg.h"
#include "DialogUnits.h"
#include "Engine.h"
#include "ForwardKey.h"
#include "ITimeSource.h"
#include "HartLoopTestDlg.h"
#include "MessageBoxes.h"
#include "ModalDialogs.h"
#include "NotificationIds.h"
#include "PasswordDialog.h"
#include "PortTexts.h"
#include "SensorParameters.h"
#include "Settings.h"
#include "StringTable.h"
#include "TabPage.h"
#include "TimerDlg.h"
#include "WindowMessageEvent.h"

#ifndef KORVAN_VERSION_MAJOR
#define KORVAN_VERSION_MAJOR 0
#define KORVAN_VERSION_MINOR 0
#define KORVAN_VERSION_PATCH 0
#define KORVAN_VERSION_TWEAK 0
#endif

namespace {

// The window's size in dialog units, turned into pixels by the dialog
// font, so the pages keep their proportions at any font size. It is the
// size the window opens with when the screen has room for it.
constexpr int kWidthDlu = 687;
constexpr int kHeightDlu = 426;

} // namespace

CKorvanSensorSetupDlg::CKorvanSensorSetupDlg(AppContext& app, QWidget* parent)
    : QDialog(parent), app_(app), engine_(app.engine)
{
    setObjectName(QStringLiteral("CKorvanSensorSetupDlg"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    handle_ = app_.windows.Add(this);
    OnInitDialog();
}

CKorvanSensorSetupDlg::~CKorvanSensorSetupDlg()
{
    // A window taken down without the close command still must not leave
    // the workers running or its registrations behind.
    ShutDown();
    app_.windows.Remove(handle_);
}

QString CKorvanSensorSetupDlg::VersionText(unsigned major, unsigned minor, unsigned patch, unsigned tweak)
{
    // The two halves of the product version, each as one number: 0.1.0.55
    // reads "версия 1.55".
    const unsigned long high = (static_cast<unsigned long>(major & 0xFFFF) << 16) | (minor & 0xFFFF);
    const unsigned long low = (static_cast<unsigned long>(patch & 0xFFFF) << 16) | (tweak & 0xFFFF);
    return QString::asprintf(StringTable::Get(StringTable::kVersion).toUtf8().constData(), static_cast<int>(high),
                             static_cast<int>(low));
}

void CKorvanSensorSetupDlg::OnInitDialog()
{
    // 1. The tab control builds the pages; page 0 is active before the
    // engine's first notification.
    tab_ = new CDlgTabCtrl(engine_, app_.windows, app_.lmpProfileStore, this);

    version_ = new QLabel(StringTable::Get(StringTable::kVersionTemplate));
    version_->setObjectName(QStringLiteral("versionLine"));
    timerButton_ = new QPushButton(StringTable::Get(StringTable::kTimerButton));
    passwordButton_ = new QPushButton(StringTable::Get(StringTable::kPasswordsButtonTemplate));
    connectionButton_ = new QPushButton(StringTable::Get(StringTable::kConnectionTitle));
    closeButton_ = new QPushButton(StringTable::Get(StringTable::kCloseButton));
    for (QPushButton* b : {timerButton_, passwordButton_, connectionButton_, closeButton_}) {
        // Enter is the OK command of this window, and that does nothing.
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(timerButton_, &QPushButton::clicked, this, &CKorvanSensorSetupDlg::OnTimer);
    connect(passwordButton_, &QPushButton::clicked, this, &CKorvanSensorSetupDlg::OnPassword);
    connect(connectionButton_, &QPushButton::clicked, this, &CKorvanSensorSetupDlg::OnConnectionSettings);
    connect(closeButton_, &QPushButton::clicked, this, &CKorvanSensorSetupDlg::reject);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(version_);
    bottom->addStretch(1);
    bottom->addWidget(timerButton_);
    bottom->addWidget(passwordButton_);
    bottom->addWidget(connectionButton_);
    bottom->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    // The pages take every pixel the window gains or loses; the button row
    // keeps its height.
    layout->addWidget(tab_, 1);
    layout->addLayout(bottom, 0);

    // 2. Window icons: the application's own.
    setWindowIcon(QApplication::windowIcon());

    // 3. Version line from the program's version.
    version_->setText(VersionText(KORVAN_VERSION_MAJOR, KORVAN_VERSION_MINOR, KORVAN_VERSION_PATCH,
                                  KORVAN_VERSION_TWEAK));

    // 4. Title and the password button's caption.
    setWindowTitle(StringTable::Get(StringTable::kMainTitle));
    passwordButton_->setText(StringTable::Get(StringTable::kPasswordButton));

    // 5. Without both line ports there is nothing to talk to: ask first.
    if (app_.modbusPort < 1 || app_.hartPort < 1) {
        ConnectionDlg dlg(this);
        ModalDialogs::Exec(dlg);
    }

    // 6. Passwords.
    HandPasswordsToEngine();

    // 7. Warnings, registrations.
    ArmPortWarnings();
    engine_.Register(handle_, NotificationId::ModeChanged);
    engine_.Register(handle_, NotificationId::HartEvent);
    engine_.Register(handle_, NotificationId::LineTaskEvent);
    engine_.Register(handle_, NotificationId::SensorParametersChanged);

    // 8. Settings into the engine, idle; the sensor page's answer to this
    // first mode change is the first connection attempt.
    HandSettingsToEngine();
    engine_.mode = Engine::kModeIdle;
    engine_.Post(NotificationId::ModeChanged, Engine::kModeClosed, Engine::kModeIdle);

    PlaceWindow();
}

QRect CKorvanSensorSetupDlg::InitialGeometry(const QSize& wanted, const QSize& minimum, const QRect& available,
                                             const QList<QRect>& screens, const std::optional<QRect>& remembered)
{
    if (remembered && remembered->width() >= minimum.width() && remembered->height() >= minimum.height()) {
        // A screen unplugged since, or a smaller one, must not keep the
        // window out of sight.
        for (const QRect& screen : screens)
            if (screen.contains(*remembered))
                return *remembered;
    }
    const int width = std::max(minimum.width(), std::min(wanted.width(), available.width() - kFrameWidth));
    const int height = std::max(minimum.height(), std::min(wanted.height(), available.height() - kFrameHeight));
    // The frame, title bar included, is centred; the title bar stays
    // reachable even when the minimum does not fit.
    const int frameLeft = available.left() + std::max(0, (available.width() - width - kFrameWidth) / 2);
    const int frameTop = available.top() + std::max(0, (available.height() - height - kFrameHeight) / 2);
    return QRect(frameLeft + kFrameWidth / 2, frameTop + kFrameHeight - kFrameWidth / 2, width, height);
}

void CKorvanSensorSetupDlg::PlaceWindow()
{
    const QSize wanted = DialogUnits::ToPixels(fontMetrics(), kWidthDlu, kHeightDlu);
    const QSize minimum = minimumSizeHint();
    QScreen* primary = QGuiApplication::primaryScreen();
    const QRect available = primary != nullptr ? primary->availableGeometry() : QRect(QPoint(0, 0), wanted);
    QList<QRect> screens;
    for (QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    const std::optional<Settings::WindowPlacement> stored = Settings::LoadWindowPlacement();
    const std::optional<QRect> remembered = stored ? std::optional<QRect>(stored->geometry) : std::nullopt;
    setGeometry(InitialGeometry(wanted, minimum, available, screens, remembered));
    if (stored && stored->maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void CKorvanSensorSetupDlg::SavePlacement()
{
    Settings::WindowPlacement placement;
    placement.maximized = isMaximized();
    placement.geometry = placement.maximized ? normalGeometry() : geometry();
    if (placement.geometry.isValid())
        Settings::SaveWindowPlacement(placement);
}

void CKorvanSensorSetupDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

QString CKorvanSensorSetupDlg::CloseQuestion(const Engine::WorkAtStake& work)
{
    QStringList lines;
    if (work.eventJournalRead)
        lines << StringTable::Get(StringTable::kRunningEventJournal);
    if (work.thresholdJournalRead)
        lines << StringTable::Get(StringTable::kRunningThresholdJournal);
    if (work.measurementFile)
        lines << StringTable::Get(StringTable::kRunningMeasurementFile)
                     .arg(QString::fromStdString(work.measurementFilePath));
    if (work.loopCurrentFixed)
        lines << StringTable::Get(StringTable::kRunningLoopCurrent).arg(QString::number(work.loopCurrentMa, 'f', 2));
    return StringTable::Get(StringTable::kCloseWhileRunning).arg(lines.join(QLatin1Char('\n')));
}

bool CKorvanSensorSetupDlg::ConfirmClose()
{
    const Engine::WorkAtStake work = engine_.RunningWork();
    if (!work.Any())
        return true;
    const int answer = MessageBoxes::Show({this, StringTable::Get(StringTable::kCaptionWarning), CloseQuestion(work),
                                           MessageBoxes::Icon::Question, MessageBoxes::Buttons::YesNo});
    return answer == MessageBoxes::kYes;
}

void CKorvanSensorSetupDlg::FocusShownPage()
{
    if (tab_ == nullptr)
        return;
    if (TabPage* page = tab_->Page(tab_->ShownIndex()))
        page->setFocus();
}

void CKorvanSensorSetupDlg::HandSettingsToEngine()
{
    engine_.modbusPort = app_.modbusPort;
    engine_.hartPort = app_.hartPort;
    engine_.mgPort = app_.mgPort;
    engine_.mgCount = app_.mgCount;
}

void CKorvanSensorSetupDlg::HandPasswordsToEngine()
{
    // The sensor compares the bytes it receives, in its own code page.
    engine_.SetPasswords(Cp1251::FromUtf8(app_.manufacturerPassword.toStdString()),
                         Cp1251::FromUtf8(app_.calibrationPassword.toStdString()));
}

void CKorvanSensorSetupDlg::ArmPortWarnings()
{
    modbusWarningArmed_ = true;
    hartWarningArmed_ = true;
}

void CKorvanSensorSetupDlg::StopWorkers()
{
    // Each stop waits for its thread to end and closes its port.
    engine_.SensorModbusInterface::Close();
    engine_.SensorHartInterface::Close();
}

void CKorvanSensorSetupDlg::accept()
{
}

void CKorvanSensorSetupDlg::reject()
{
    // "Закрыть" and the close box; Esc never gets here.
    if (!shutDown_ && !ConfirmClose())
        return;
    Quit(true);
}

void CKorvanSensorSetupDlg::Quit(bool mayAsk)
{
    const bool first = !shutDown_;
    ShutDown();
    // Closing the HART line has tried to release a loop current the test
    // fixed; if the device did not take it, the engineer must know before
    // the tool is gone.
    if (first && engine_.LoopCurrentFixed()) {
        if (mayAsk)
            HartLoopTestDlg::WarnIfCurrentStillFixed(this, engine_);
        else
            std::fprintf(stderr, "%s\n", HartLoopTestDlg::StillFixedText(engine_.FixedLoopCurrent()).toLocal8Bit().constData());
    }
    QDialog::reject();
}

void CKorvanSensorSetupDlg::ShutDown()
{
    if (shutDown_)
        return;
    shutDown_ = true;
    SavePlacement();
    engine_.UnregisterAll(handle_);
    const int oldMode = engine_.mode;
    engine_.mode = Engine::kModeClosed;
    StopWorkers();
    engine_.Post(NotificationId::ModeChanged, static_cast<std::uintptr_t>(oldMode), Engine::kModeClosed);
}

void CKorvanSensorSetupDlg::OnConnectionSettings()
{
    ConnectionDlg dlg(this);
    const int result = ModalDialogs::Exec(dlg);
    FocusShownPage();
    ArmPortWarnings();
    if (result != QDialog::Accepted)
        return;
    const int oldMode = engine_.mode;
    engine_.mode = Engine::kModeClosed;
    StopWorkers();
    engine_.Post(NotificationId::ModeChanged, static_cast<std::uintptr_t>(oldMode), Engine::kModeClosed);
    HandSettingsToEngine();
    engine_.mode = Engine::kModeIdle;
    engine_.Post(NotificationId::ModeChanged, Engine::kModeClosed, Engine::kModeIdle);
}

void CKorvanSensorSetupDlg::OnPassword()
{
    PasswordDialog dlg(this);
    const int result = ModalDialogs::Exec(dlg);
    FocusShownPage();
    if (result == QDialog::Accepted)
        HandPasswordsToEngine();
}

void CKorvanSensorSetupDlg::OnTimer()
{
    if (stopwatch_)
        return;
    stopwatch_ = new TimerDlg(SystemTimeSource(), this);
    stopwatch_->Open(frameGeometry().topLeft());
}

void CKorvanSensorSetupDlg::OpenSensorErrorsOnError()
{
    if (shutDown_ || sensorErrors_)
        return;
    SensorParameters record;
    engine_.CopySensorParameters(record);
    if (!DevErrorMessageDlg::AnyErrorFlag(record))
        return;
    sensorErrors_ = new DevErrorMessageDlg(engine_, app_.windows, this);
    sensorErrors_->OpenAbove(*this);
}

void CKorvanSensorSetupDlg::customEvent(QEvent* event)
{
    if (event->type() == WindowMessageEvent::EventType()) {
        auto* m = static_cast<WindowMessageEvent*>(event);
        OnWindowMessage(m->Message(), m->WParam(), m->LParam());
        return;
    }
    QDialog::customEvent(event);
}

void CKorvanSensorSetupDlg::OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    switch (message) {
    case ForwardKey::WM_FORWARD_KEY:
        if (tab_ != nullptr)
            tab_->OnForwardKey(static_cast<int>(wParam));
        break;
    case NotificationId::ModeChanged:
        OnModeChanged(static_cast<int>(wParam), static_cast<int>(lParam));
        break;
    case NotificationId::HartEvent:
        // Messages queued before the shut-down must not restart anything.
        if (!shutDown_)
            engine_.OnHartWorkerEvent();
        break;
    case NotificationId::LineTaskEvent:
        if (!shutDown_)
            engine_.OnLineWorkerEvent();
        break;
    case NotificationId::SensorParametersChanged:
        OpenSensorErrorsOnError();
        break;
    default:
        break;
    }
}

void CKorvanSensorSetupDlg::OnModeChanged(int oldMode, int newMode)
{
    if (shutDown_ || oldMode != Engine::kModeConnecting)
        return;
    if (newMode == Engine::kModeIdle && modbusWarningArmed_) {
        const int state = engine_.LineState();
        if (state == SensorModbusInterface::kNoPort) {
            modbusWarningArmed_ = false;
            MessageBoxes::Warning(this, StringTable::Get(StringTable::kNoModbusPort));
        } else if (state == SensorModbusInterface::kPortUnavailable) {
            modbusWarningArmed_ = false;
            MessageBoxes::Warning(this, PortUnavailableText(engine_.modbusPort, engine_.SensorModbusInterface::PortPermissionDenied(),
                                                            StringTable::kModbusPortUnavailable));
        }
    } else if (newMode == Engine::kModeConnected && hartWarningArmed_) {
        const std::uint32_t state = engine_.HartState();
        if (state == SensorHartInterface::kNoPort) {
            hartWarningArmed_ = false;
            MessageBoxes::Warning(this, StringTable::Get(StringTable::kNoHartPort));
        } else if (state == SensorHartInterface::kOpenFailed) {
            hartWarningArmed_ = false;
            MessageBoxes::Warning(this, PortUnavailableText(engine_.hartPort, engine_.SensorHartInterface::PortPermissionDenied(),
                                                            StringTable::kHartPortUnavailable));
        }
    }
}

QString CKorvanSensorSetupDlg::PortUnavailableText(int port, bool permissionDenied, int textId) const
{
    // A port the user may not open is neither missing nor busy: say which
    // device it is and how to get the right.
    return permissionDenied ? PortTexts::PermissionDenied(port) : StringTable::Get(textId);
}
