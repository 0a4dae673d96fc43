#include "IntdlgSelectTCatpwr.h"

#include <QGroupBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>

#include "IntdlgTCatpwrLog.h"
#include "StringTable.h"

IntdlgSelectTCatpwr::IntdlgSelectTCatpwr(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : WorkspacePanel(engine, windows, parent, StringTable::Get(StringTable::kSettingsGroup), QSize(328, 278))
{
    setObjectName(QStringLiteral("IntdlgSelectTCatpwr"));
    // "Параметры" and "Настройка ПИД"; the second holds the heater
    // regulation and the measurement log.
    tabs_ = new QTabWidget(Frame());
    tabs_->setObjectName(QStringLiteral("Tabs"));
    tabs_->addTab(new QWidget(tabs_), StringTable::Get(StringTable::kParametersTab));
    tabs_->addTab(new IntdlgTCatpwrLog(engine, windows, tabs_), StringTable::Get(StringTable::kPidTab));
    Body()->addWidget(tabs_);
}
