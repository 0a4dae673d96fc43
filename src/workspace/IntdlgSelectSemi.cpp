#include "IntdlgSelectSemi.h"

#include "IntdlgSemi.h"

IntdlgSelectSemi::IntdlgSelectSemi(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : SettingsTabHolder(engine, windows, parent)
{
    setObjectName(QStringLiteral("IntdlgSelectSemi"));
    parameters_ = new IntdlgSemi(engine, windows, this);
    // "Настройка ПИД" holds the heater regulation and the measurement log.
    auto* pid = new QWidget(this);
    pid->setObjectName(QStringLiteral("IntdlgSemiLog"));
    SetPages(parameters_, pid);
}
