#pragma once

#include "UiPump.h"

#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <QObject>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AppContext.h"
#include "CKorvanSensorSetupDlg.h"
#include "MessageBoxes.h"
#include "TestPorts.h"

class QDialog;
class QSettings;
class QWidget;


// True in a Windows test process under Wine, which does not keep a COM port
// to the one program that opened it: a test of a busy port skips there.
bool UnderWine();
inline constexpr const char* kWineSharesPorts =
    "Wine does not enforce exclusive opening of COM ports: a port held by another program is tested on Linux";

// A per-test config folder for the settings store and the port links: the
// store's folder follows it, so a test never touches the user's settings.
class TempSettings {
public:
    TempSettings();
    ~TempSettings();
    const std::string& Path() const { return home_.Path(); }
    const TempConfigHome& Home() const { return home_; }
    // The store's file of this folder (Windows: the registry key's name).
    QString StoreFile() const;
    // The store, read as another program would read it.
    std::unique_ptr<QSettings> Store() const;

private:
    TempConfigHome home_;
};

// A window that records the program's messages it receives.
class MessageRecorder : public QObject {
    Q_OBJECT
public:
    struct Message {
        std::uint32_t message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        bool operator==(const Message&) const = default;
    };
    std::vector<Message> messages;
    std::vector<std::pair<int, int>> ModeChanges() const;

protected:
    void customEvent(QEvent* event) override;
};

// Message boxes and modal dialogs, answered by the test instead of a
// modal loop.
class UiHooks {
public:
    UiHooks();
    ~UiHooks();
    std::vector<MessageBoxes::Request> boxes;
    // The button that answers a box: the default presses OK.
    std::function<int(const MessageBoxes::Request&)> onBox;
    // What a modal dialog gets: the default rejects it at once.
    std::function<int(QDialog&)> onDialog;
    std::vector<QString> dialogs; // class names, in order
    std::vector<QString> Texts() const;
};

// The save dialogs (QFileDialog through the modal-dialog hook), answered
// by the test: the next path to give (empty: cancel) and what each dialog
// offered.
class SaveDialogAnswers {
public:
    struct Request {
        QString defaultName;
        QString defaultExtension;
    };
    explicit SaveDialogAnswers(UiHooks& hooks);
    ~SaveDialogAnswers();
    QString next;
    std::vector<Request> requests;

private:
    UiHooks& hooks_;
};

// The main window in a test: its own config folder, answered message boxes
// and dialogs, and start-up as the application object runs it, with a
// recorder of the engine's mode changes registered before the window
// exists. A test with a simulator stops it after CloseWindow().
class MainWindowFixture : public ::testing::Test {
protected:
    void TearDown() override { CloseWindow(); }

    // The connection settings the store holds at start-up.
    static void StorePorts(int modbus, int hart, int mg = 0);
    void Open();
    // The window first, then the engine and the window table.
    void CloseWindow();
    Engine& engine() { return app_->engine; }
    // A negative wait is the fixture's `modeWaitMs_`.
    bool PumpUntilMode(int mode, int timeoutMs = -1);
    // A key pressed in the window, as the user would: the main window made
    // the active one, the key sent through the application object, which
    // forwards Esc, F1 and F2 to the main window.
    void PressKey(Qt::Key key);

    // The window's size before it is shown; none keeps its own.
    QSize windowSize_;
    int modeWaitMs_ = 30000;
    TempSettings folder_;
    UiHooks hooks_;
    std::unique_ptr<AppContext> app_;
    std::unique_ptr<MessageRecorder> recorder_;
    std::unique_ptr<CKorvanSensorSetupDlg> window_;
};
