#pragma once

#include <cstdint>

#include "SensorModbusInterface.h"
#include "TabPage.h"

class JournalListCtrl;
class QLabel;
class QProgressBar;
class QPushButton;

// What the two journal pages share: the list of decoded entries growing as
// the engine reads the device's ring, the progress bar and "read/expected"
// counter, "Прочитать (F2)", "Прервать (ESC)", "Сохранить..." and the CSV
// file. The first time a page is shown it reads its journal by itself.
class JournalPage : public TabPage {
    Q_OBJECT
public:
    JournalListCtrl* List() const { return list_; }
    QPushButton* ReadButton() const { return readButton_; }
    QPushButton* AbortButton() const { return abortButton_; }
    QPushButton* SaveButton() const { return saveButton_; }
    QProgressBar* Progress() const { return progress_; }
    QLabel* Counter() const { return counter_; }

    // F2 reads, Esc aborts.
    void OnForwardKey(int key) override;
    // "Прочитать (F2)": only from a steady mode.
    void OnRead();
    // "Прервать (ESC)": only while this page's journal is being read.
    void OnAbort();
    // "Сохранить...".
    void OnSave();

protected:
    // How the two pages differ.
    struct Journal {
        SensorModbusInterface::Journal which;
        int readingMode;             // the engine's mode while it reads
        std::uint32_t statusId;      // progress notification
        std::uint32_t dataId;        // new entries
        const char* fileName;        // what the save dialog offers
        // The event page empties its list and says "reading" as soon as
        // the read is asked for; the threshold page waits for the engine.
        bool showsReadingAtOnce;
    };

    JournalPage(Engine& engine, WindowRegistry& windows, QWidget* parent, const Journal& journal);

    void OnActivate() override;
    void OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;

private:
    bool RequestRead();
    void CopyJournal(SensorJournalContent& out);
    void RefreshList();
    void UpdateProgress();
    void UpdateButtons();

    const Journal journal_;
    JournalListCtrl* list_ = nullptr;
    QPushButton* readButton_ = nullptr;
    QPushButton* abortButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* counter_ = nullptr;
};
