#include "CDlgTabCtrl.h"

#include "CalibrationDialog.h"
#include "ForwardKey.h"
#include "HartDialog.h"
#include "JournalDialog.h"
#include "ModbusDialog.h"
#include "SensorDialog.h"
#include "StringTable.h"
#include "TabPage.h"
#include "TerminalDialog.h"
#include "ThJournalDialog.h"

CDlgTabCtrl::CDlgTabCtrl(Engine& engine, WindowRegistry& windows, LmpProfileStore& profiles, QWidget* parent)
    : QTabWidget(parent)
{
    setObjectName(QStringLiteral("CDlgTabCtrl"));
    setDocumentMode(false);

    pages_[kSensorPage] = new SensorDialog(engine, windows, this);
    pages_[kTerminalPage] = new TerminalDialog(engine, windows, this);
    pages_[kCalibrationPage] = new CalibrationDialog(engine, windows, profiles, this);
    pages_[kDevicePage] = new ModbusDialog(engine, windows, this);
    pages_[kHartPage] = new HartDialog(engine, windows, this);
    pages_[kEventJournalPage] = new JournalDialog(engine, windows, this);
    pages_[kThresholdJournalPage] = new ThJournalDialog(engine, windows, this);

    static constexpr int kCaptions[kPageCount] = {
        StringTable::kTabSensor,  StringTable::kTabTerminal,     StringTable::kTabCalibration,
        StringTable::kTabDevice,  StringTable::kTabHart,         StringTable::kTabEventJournal,
        StringTable::kTabThresholdJournal,
    };
    for (int i = 0; i < kPageCount; ++i)
        addTab(pages_[i], StringTable::Get(kCaptions[i]));

    setCurrentIndex(kSensorPage);
    shown_ = kSensorPage;
    pages_[shown_]->setEnabled(true);
    connect(this, &QTabWidget::currentChanged, this, &CDlgTabCtrl::OnSelectionChanged);
}

TabPage* CDlgTabCtrl::Page(int index) const
{
    return index >= 0 && index < kPageCount ? pages_[index] : nullptr;
}

void CDlgTabCtrl::OnSelectionChanged(int index)
{
    if (index < 0 || index >= kPageCount || index == shown_)
        return;
    // Disabling the old page first ends its activity before the new page
    // starts one of its own.
    pages_[shown_]->setEnabled(false);
    shown_ = index;
    pages_[shown_]->setEnabled(true);
    pages_[shown_]->setFocus();
}

void CDlgTabCtrl::OnForwardKey(int key)
{
    TabPage* page = Page(shown_);
    if (page == nullptr)
        return;
    switch (shown_) {
    case kTerminalPage:
        break;
    case kSensorPage:
    case kCalibrationPage:
    case kDevicePage:
    case kHartPage:
        if (key == ForwardKey::kF2)
            page->OnForwardKey(key);
        break;
    case kEventJournalPage:
    case kThresholdJournalPage:
        page->OnForwardKey(key);
        break;
    default:
        break;
    }
}
