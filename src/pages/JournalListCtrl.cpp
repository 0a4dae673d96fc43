#include "JournalListCtrl.h"

#include <QHeaderView>

#include <algorithm>

#include "CGridColumnTraitText.h"
#include "CGridRowTraitXP.h"
#include "JournalEntryText.h"
#include "StringTable.h"

namespace {

constexpr double kCellMargin = 1.2;
constexpr int kHeadingDate = 165;  // "Дата/время"
constexpr int kHeadingEvent = 166; // "Событие"

} // namespace

JournalListCtrl::JournalListCtrl(QWidget* parent) : CGridListCtrlEx(parent)
{
    setObjectName(QStringLiteral("JournalListCtrl"));
    EnableToolTips(false);
    SetCellMargin(kCellMargin);
    SetRowTrait(std::make_unique<CGridRowTraitXP>());
    SetExplorerStyle();
    InsertHiddenLabelColumn();
    auto date = std::make_unique<CGridColumnTraitText>();
    date->SetSortable(true);
    InsertColumn(kDateColumn, StringTable::Get(kHeadingDate), Qt::AlignLeft, kDateWidth, std::move(date));
    InsertColumn(kEventColumn, StringTable::Get(kHeadingEvent), Qt::AlignLeft, kDateWidth,
                 std::make_unique<CGridColumnTraitText>());
    // The event column takes the rest of the client area.
    horizontalHeader()->setStretchLastSection(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SetEmptyText(StringTable::Get(kStatusNotRead));
}

void JournalListCtrl::ShowStatus(int statusId)
{
    shown_.clear();
    DeleteAllRows();
    SetEmptyText(StringTable::Get(statusId));
}

void JournalListCtrl::Refresh(const SensorJournalContent& content, JournalReadStatus status)
{
    if (content.empty()) {
        switch (status) {
        case JournalReadStatus::NotRead: ShowStatus(kStatusNotRead); break;
        case JournalReadStatus::Reading: ShowStatus(kStatusReading); break;
        case JournalReadStatus::Failed: ShowStatus(kStatusFailed); break;
        case JournalReadStatus::Finished: ShowStatus(kStatusEmpty); break;
        }
        return;
    }
    // Rows that show entries of an earlier reading must not stay beside the
    // new ones: the threshold page keeps its rows when a reading starts, and
    // the first block of the new reading may be in the copy before the page
    // saw the journal empty.
    const std::size_t common = std::min(shown_.size(), content.size());
    if (shown_.size() > content.size() || !std::equal(shown_.begin(), shown_.begin() + long(common), content.begin())) {
        shown_.clear();
        DeleteAllRows();
    }
    SetEmptyText(StringTable::Get(kStatusEmpty));
    if (content.size() == shown_.size())
        return;
    setUpdatesEnabled(false);
    for (std::size_t i = shown_.size(); i < content.size(); ++i) {
        const JournalEntryText entry = JournalEntryDecoder::Decode(content[i]);
        const int row = InsertRow(-1);
        SetCellText(row, kDateColumn, QString::fromStdString(entry.dateTime));
        SetCellText(row, kEventColumn, QString::fromStdString(entry.event));
        shown_.push_back(content[i]);
    }
    // Rows arrive in the engine's order; a list the engineer sorted stays
    // sorted.
    if (SortColumn() == kDateColumn)
        SortByColumn(kDateColumn, IsSortAscending());
    setUpdatesEnabled(true);
}
