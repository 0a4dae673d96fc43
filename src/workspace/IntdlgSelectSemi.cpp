#include "IntdlgSelectSemi.h"

#include "IntdlgSemi.h"
#include "IntdlgSemiLog.h"

IntdlgSelectSemi::IntdlgSelectSemi(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : SettingsTabHolder(engine, windows, parent)
{
    setObjectName(QStringLiteral("IntdlgSelectSemi"));
    parameters_ = new IntdlgSemi(engine, windows, this);
    // "Настройка ПИД" holds the heater regulation and the measurement log.
    SetPages(parameters_, new IntdlgSemiLog(engine, windows, this));
}
