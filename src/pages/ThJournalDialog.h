#pragma once

#include "JournalPage.h"

// The "Журнал порогов" page: the detector's threshold journal. Unlike the
// event page, a read keeps the rows on show until the engine's copy of the
// journal is empty again.
class ThJournalDialog : public JournalPage {
    Q_OBJECT
public:
    ThJournalDialog(Engine& engine, WindowRegistry& windows, QWidget* parent);
};
