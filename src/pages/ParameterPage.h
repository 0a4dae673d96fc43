#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "TabPage.h"

class ParameterListCtrl;
class QHBoxLayout;
class LinkNotice;
class QPushButton;

// What the parameter pages share around their list: "Прочитать (F2)", the
// push-like toggle "Периодический опрос измерений" that mirrors the
// engine's polling mode, the rule that both work only while the engine
// can take a new request, and the list's refresh on the engine's
// notifications. A page states its list, its engine calls and its polling
// mode.
class ParameterPage : public TabPage {
    Q_OBJECT
public:
    QPushButton* ReadButton() const { return readButton_; }
    QPushButton* PollingToggle() const { return pollingToggle_; }
    bool PollingOn() const { return pollingOn_; }
    // What became of the line under the page's poll: lost and waited for,
    // or back. Hidden while there is nothing to say.
    LinkNotice* LinkNoticeLabel() const { return linkNotice_; }

    // F2 acts as "Прочитать (F2)".
    void OnForwardKey(int key) override;
    // "Прочитать (F2)": only from a steady mode.
    void OnRead();

protected:
    // `pollingMode` is the engine's mode while this page's toggle is down;
    // `dataNotifications` the engine's notifications that change what the
    // list shows.
    ParameterPage(Engine& engine, WindowRegistry& windows, QWidget* parent, int pollingMode,
                  std::initializer_list<std::uint32_t> dataNotifications);

    void OnActivate() override;
    void OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;

    // Puts the list above the buttons; the list reports its edits here.
    void SetList(ParameterListCtrl* list);
    // The row of buttons under the list, for a page's own buttons.
    QHBoxLayout* ButtonRow() const { return buttonRow_; }
    // The buttons follow the engine: "Прочитать (F2)" is enabled exactly in
    // a steady mode, the toggle where PollingAvailable() says.
    void UpdateButtons();
    // Whether the toggle may start or end polling now; by default in every
    // steady mode.
    virtual bool PollingAvailable() const;
    // A page's own buttons, set with the shared ones.
    virtual void UpdatePageButtons() {}
    void SetPollingOn(bool on);
    // The engine request behind the toggle; true when it was carried out.
    virtual bool RequestPolling(bool on) = 0;
    // The engine request behind "Прочитать (F2)"; true when it was taken.
    virtual bool RequestRead() = 0;
    // The list from the engine's line state and fresh copies of its records.
    // The status text of a device line the user may not open; empty when
    // the line's port was not refused for want of rights.
    QString LinePortDeniedText() const;
    virtual void RefreshList() = 0;
    // After the buttons and the list: the toggle follows the engine into
    // and out of the polling mode.
    virtual void OnModeChanged(int oldMode, int newMode);

private:
    void OnPollingClicked(bool checked);
    // The notification of the line this page polls on.
    std::uint32_t LinkNotification() const;

    QPushButton* readButton_ = nullptr;
    QPushButton* pollingToggle_ = nullptr;
    QHBoxLayout* buttonRow_ = nullptr;
    LinkNotice* linkNotice_ = nullptr;
    ParameterListCtrl* list_ = nullptr;
    const int pollingMode_;
    const std::vector<std::uint32_t> dataNotifications_;
    bool pollingOn_ = false;
};
