#include "JournalDialog.h"

#include "CsvFiles.h"
#include "Engine.h"
#include "NotificationIds.h"

JournalDialog::JournalDialog(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : JournalPage(engine, windows, parent,
                  {SensorModbusInterface::Journal::Event, Engine::kModeEventJournal, NotificationId::EventJournalStatus,
                   NotificationId::EventJournalData, CsvFiles::kEventJournalFileName, true})
{
    setObjectName(QStringLiteral("JournalDialog"));
}
