#pragma once

#include <QTabWidget>

#include <array>

class Engine;
class LmpProfileStore;
class TabPage;
class WindowRegistry;

// The main window's tab control: it creates the seven work pages in tab
// order, shows one of them (the only enabled one) and hands the forwarded
// keys to it.
class CDlgTabCtrl : public QTabWidget {
    Q_OBJECT
public:
    static constexpr int kPageCount = 7;
    // Tab indices.
    static constexpr int kSensorPage = 0;
    static constexpr int kTerminalPage = 1;
    static constexpr int kCalibrationPage = 2;
    static constexpr int kDevicePage = 3;
    static constexpr int kHartPage = 4;
    static constexpr int kEventJournalPage = 5;
    static constexpr int kThresholdJournalPage = 6;

    CDlgTabCtrl(Engine& engine, WindowRegistry& windows, LmpProfileStore& profiles, QWidget* parent);

    TabPage* Page(int index) const;
    int ShownIndex() const { return shown_; }

    // Esc, F1 and F2 (virtual keys) from the main window.
    void OnForwardKey(int key);

private:
    void OnSelectionChanged(int index);

    std::array<TabPage*, kPageCount> pages_{};
    int shown_ = 0;
};
