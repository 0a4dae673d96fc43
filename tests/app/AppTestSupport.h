#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "MessageBoxes.h"
#include "TestPorts.h"

class QDialog;

// Runs the event loop until `done` holds; false when `timeoutMs` passes
// first.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 30000);
// Runs what is queued now, and what that queues, for a short while.
void PumpQueued();

// A per-test config folder for the settings store and the port links: the
// store's folder follows it, so a test never touches the user's settings.
class TempSettings {
public:
    TempSettings();
    ~TempSettings();
    const std::string& Path() const { return home_.Path(); }
    const TempConfigHome& Home() const { return home_; }
    // The store's file of this folder.
    QString StoreFile() const;

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
    // What a modal dialog gets: the default rejects it at once.
    std::function<int(QDialog&)> onDialog;
    std::vector<QString> dialogs; // class names, in order
    std::vector<QString> Texts() const;
};
