#pragma once

#include "JournalPage.h"

// The "Журнал событий" page: the detector's event journal.
class JournalDialog : public JournalPage {
    Q_OBJECT
public:
    JournalDialog(Engine& engine, WindowRegistry& windows, QWidget* parent);
};
