#pragma once

#include <QString>

#include <vector>

#include "CGridListCtrlEx.h"
#include "JournalReadStatus.h"
#include "ModbusJournalRecord.h"

// The list of both journal pages: the entry's date/time (sortable, so the
// engineer can turn the order round) and its event text. Rows grow as the
// engine's copy of the journal grows; while it has none, the list shows the
// reading's status.
class JournalListCtrl : public CGridListCtrlEx {
    Q_OBJECT
public:
    static constexpr int kDateColumn = 1;
    static constexpr int kEventColumn = 2;
    static constexpr int kDateWidth = 200;

    // Status texts of a list without rows.
    static constexpr int kStatusNotRead = 244;
    static constexpr int kStatusReading = 245;
    static constexpr int kStatusFailed = 246;
    static constexpr int kStatusEmpty = 247;

    explicit JournalListCtrl(QWidget* parent = nullptr);

    // Shows the engine's copy of the journal (newest first): the entries
    // beyond the rows already listed are appended, and rows once shown are
    // not written again. A copy that no longer begins with the entries
    // listed (a new reading has begun) replaces them. Without entries the
    // list shows the status text of `status`.
    void Refresh(const SensorJournalContent& content, JournalReadStatus status);
    // No rows; the status text `statusId` instead.
    void ShowStatus(int statusId);
    QString StatusText() const { return EmptyText(); }

    // Whether the rows stand sorted by date, oldest at the top.
    bool SortedOldestFirst() const { return SortColumn() == kDateColumn && IsSortAscending(); }

private:
    // The records behind the rows, in the engine's order (newest first)
    // whatever order the rows are sorted in.
    std::vector<ModbusJournalRecord> shown_;
};
