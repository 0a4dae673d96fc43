#include "IntdlgSelectTCatpwr.h"

#include "IntdlgTCatpwr.h"

IntdlgSelectTCatpwr::IntdlgSelectTCatpwr(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : SettingsTabHolder(engine, windows, parent)
{
    setObjectName(QStringLiteral("IntdlgSelectTCatpwr"));
    parameters_ = new IntdlgTCatpwr(engine, windows, this);
    // "Настройка ПИД" holds the heater regulation and the measurement log.
    auto* pid = new QWidget(this);
    pid->setObjectName(QStringLiteral("IntdlgTCatpwrLog"));
    SetPages(parameters_, pid);
}
