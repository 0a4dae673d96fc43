#pragma once

#include <QWidget>

#include <cstdint>

#include "WindowHandle.h"

class Engine;
class WindowRegistry;

// What every tab page of the main window shares. A page never touches a
// port: it calls the engine and refreshes from the engine's notifications.
// Its enable transition is its activate and deactivate signal: the shown
// page is the only enabled one, and a page that is hidden ends the running
// activity so that the line is free for the next page.
class TabPage : public QWidget {
    Q_OBJECT
public:
    TabPage(Engine& engine, WindowRegistry& windows, QWidget* parent);
    ~TabPage() override;

    // Esc, F1 and F2 as the main window passes them on (virtual keys of
    // ForwardKey.h). F1 starts nothing on any page.
    virtual void OnForwardKey(int key);

    WindowHandle Handle() const { return handle_; }

protected:
    virtual void OnActivate() {}
    // Unregisters the page and ends the engine's work.
    virtual void OnDeactivate();
    // The engine's notifications and the program's own messages.
    virtual void OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

    void Register(std::uint32_t id);
    void UnregisterAll();
    Engine& engine() { return engine_; }
    WindowRegistry& windows() { return windows_; }

    void changeEvent(QEvent* event) override;
    void customEvent(QEvent* event) override;
    // Enter and Esc inside a page do nothing; above all they must not reach
    // the main window, where Esc closes the tool.
    void keyPressEvent(QKeyEvent* event) override;

private:
    Engine& engine_;
    WindowRegistry& windows_;
    WindowHandle handle_;
    // Pages are created disabled; only a page that was activated has
    // anything to end when it is disabled.
    bool active_ = false;
};
