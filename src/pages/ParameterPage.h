#pragma once

#include "TabPage.h"

class ParameterListCtrl;
class QHBoxLayout;
class QPushButton;

// What the parameter pages share around their list: "Прочитать (F2)", the
// push-like toggle "Периодический опрос измерений" that mirrors the
// engine's polling mode, and the rule that both work only while the engine
// can take a new request.
class ParameterPage : public TabPage {
    Q_OBJECT
public:
    QPushButton* ReadButton() const { return readButton_; }
    QPushButton* PollingToggle() const { return pollingToggle_; }
    bool PollingOn() const { return pollingOn_; }

    // F2 acts as "Прочитать (F2)".
    void OnForwardKey(int key) override;
    // "Прочитать (F2)": only from a steady mode.
    virtual void OnRead() = 0;

protected:
    ParameterPage(Engine& engine, WindowRegistry& windows, QWidget* parent);

    // Puts the list above the buttons; the list reports its edits here.
    void SetList(ParameterListCtrl* list);
    // The row of buttons under the list, for a page's own buttons.
    QHBoxLayout* ButtonRow() const { return buttonRow_; }
    // Both buttons follow the engine: enabled exactly in a steady mode.
    void UpdateButtons();
    void SetPollingOn(bool on);
    // The engine request behind the toggle; true when it was carried out.
    virtual bool RequestPolling(bool on) = 0;

private:
    void OnPollingClicked(bool checked);

    QPushButton* readButton_ = nullptr;
    QPushButton* pollingToggle_ = nullptr;
    QHBoxLayout* buttonRow_ = nullptr;
    ParameterListCtrl* list_ = nullptr;
    bool pollingOn_ = false;
};
