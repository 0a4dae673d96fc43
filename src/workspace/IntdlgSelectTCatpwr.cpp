#include "IntdlgSelectTCatpwr.h"

#include "IntdlgTCatpwr.h"
#include "IntdlgTCatpwrLog.h"

IntdlgSelectTCatpwr::IntdlgSelectTCatpwr(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : SettingsTabHolder(engine, windows, parent)
{
    setObjectName(QStringLiteral("IntdlgSelectTCatpwr"));
    parameters_ = new IntdlgTCatpwr(engine, windows, this);
    // "Настройка ПИД" holds the heater regulation and the measurement log.
    SetPages(parameters_, new IntdlgTCatpwrLog(engine, windows, this));
}
