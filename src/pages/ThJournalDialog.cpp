#include "ThJournalDialog.h"

#include "CsvFiles.h"
#include "Engine.h"
#include "NotificationIds.h"

ThJournalDialog::ThJournalDialog(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : JournalPage(engine, windows, parent,
                  {SensorModbusInterface::Journal::Threshold, Engine::kModeThresholdJournal,
                   NotificationId::ThresholdJournalStatus, NotificationId::ThresholdJournalData,
                   CsvFiles::kThresholdJournalFileName, false})
{
    setObjectName(QStringLiteral("ThJournalDialog"));
}
