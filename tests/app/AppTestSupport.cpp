#include "AppTestSupport.h"

#include <QFileDialog>
#include <QFileInfo>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QSettings>

#include "CDlgTabCtrl.h"
#include "CKorvanSensorSetupApp.h"
#include "Engine.h"
#include "ModalDialogs.h"
#include "NotificationIds.h"
#include "Settings.h"
#include "WindowMessageEvent.h"

#ifdef _WIN32
#include <windows.h>
#endif

#ifdef _WIN32
bool UnderWine()
{
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The store is the program's registry key: each test begins and ends with
// it empty.
TempSettings::TempSettings()
{
    QSettings(QStringLiteral("Korvan"), QStringLiteral("KorvanSensorSetup")).clear();
}

TempSettings::~TempSettings()
{
    QSettings(QStringLiteral("Korvan"), QStringLiteral("KorvanSensorSetup")).clear();
}

QString TempSettings::StoreFile() const
{
    return QSettings(QStringLiteral("Korvan"), QStringLiteral("KorvanSensorSetup")).fileName();
}

std::unique_ptr<QSettings> TempSettings::Store() const
{
    return std::make_unique<QSettings>(QStringLiteral("Korvan"), QStringLiteral("KorvanSensorSetup"));
}
#else
bool UnderWine()
{
    return false;
}

TempSettings::TempSettings()
{
    // Qt reads the config folder once per process; each test points the
    // store at its own folder.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(home_.Path()));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(home_.Path()));
}

TempSettings::~TempSettings() = default;

QString TempSettings::StoreFile() const
{
    return QString::fromStdString(home_.Path()) + QStringLiteral("/Korvan/KorvanSensorSetup.conf");
}

std::unique_ptr<QSettings> TempSettings::Store() const
{
    return std::make_unique<QSettings>(StoreFile(), QSettings::IniFormat);
}
#endif

std::vector<std::pair<int, int>> MessageRecorder::ModeChanges() const
{
    std::vector<std::pair<int, int>> out;
    for (const Message& m : messages)
        if (m.message == NotificationId::ModeChanged)
            out.emplace_back(static_cast<int>(m.wParam), static_cast<int>(m.lParam));
    return out;
}

void MessageRecorder::customEvent(QEvent* event)
{
    if (event->type() == WindowMessageEvent::EventType()) {
        auto* m = static_cast<WindowMessageEvent*>(event);
        messages.push_back({m->Message(), m->WParam(), m->LParam()});
    }
}

UiHooks::UiHooks()
{
    MessageBoxes::SetHook([this](const MessageBoxes::Request& r) {
        boxes.push_back(r);
        return onBox ? onBox(r) : int(MessageBoxes::kOk);
    });
    ModalDialogs::SetHook([this](QDialog& d) {
        dialogs.push_back(QString::fromLatin1(d.metaObject()->className()));
        return onDialog ? onDialog(d) : static_cast<int>(QDialog::Rejected);
    });
}

UiHooks::~UiHooks()
{
    MessageBoxes::SetHook({});
    ModalDialogs::SetHook({});
}

SaveDialogAnswers::SaveDialogAnswers(UiHooks& hooks) : hooks_(hooks)
{
    hooks_.onDialog = [this](QDialog& d) {
        auto* files = qobject_cast<QFileDialog*>(&d);
        if (files == nullptr)
            return int(QDialog::Rejected);
        const QStringList offered = files->selectedFiles();
        requests.push_back({offered.isEmpty() ? QString() : QFileInfo(offered.first()).fileName(),
                            files->defaultSuffix()});
        if (next.isEmpty())
            return int(QDialog::Rejected);
        files->selectFile(next);
        return int(QDialog::Accepted);
    };
}

SaveDialogAnswers::~SaveDialogAnswers()
{
    hooks_.onDialog = nullptr;
}

std::vector<QString> UiHooks::Texts() const
{
    std::vector<QString> out;
    for (const auto& b : boxes)
        out.push_back(b.text);
    return out;
}

void MainWindowFixture::StorePorts(int modbus, int hart, int mg)
{
    QSettings s(QStringLiteral("Korvan"), QStringLiteral("KorvanSensorSetup"));
    s.setValue("Connection/ModbusPort", modbus);
    s.setValue("Connection/HartPort", hart);
    s.setValue("Connection/MgPort", mg);
}

void MainWindowFixture::Open()
{
    app_ = std::make_unique<AppContext>();
    Settings::LoadConnection();
    Settings::LoadWords();
    recorder_ = std::make_unique<MessageRecorder>();
    app_->engine.Register(app_->windows.Add(recorder_.get()), NotificationId::ModeChanged);
    window_ = std::make_unique<CKorvanSensorSetupDlg>(*app_);
    static_cast<CKorvanSensorSetupApp*>(qApp)->SetMainWindow(window_.get());
    if (windowSize_.isValid())
        window_->resize(windowSize_);
    window_->show();
}

void MainWindowFixture::CloseWindow()
{
    window_.reset();
    app_.reset();
}

bool MainWindowFixture::PumpUntilMode(int mode, int timeoutMs)
{
    return PumpUntil([&] { return engine().mode == mode; }, timeoutMs < 0 ? modeWaitMs_ : timeoutMs);
}

void MainWindowFixture::PressKey(Qt::Key key)
{
    // The user types in the main window: it is the active one (a tool
    // window that opened by itself keeps its keys otherwise).
    if (QApplication::activeWindow() != window_.get()) {
        window_->activateWindow();
        PumpUntil([&] { return QApplication::activeWindow() == window_.get(); }, 5000);
    }
    QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : window_->TabCtrl();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
    PumpQueued();
}
