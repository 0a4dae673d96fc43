#include "CalibIntdlgSelectTCatpwr.h"

#include "CalibIntdlgTCatpwr.h"
#include "CalibTemperaturePanel.h"

CalibIntdlgSelectTCatpwr::CalibIntdlgSelectTCatpwr(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : CalibSelectHolder(engine, windows, parent)
{
    setObjectName(QStringLiteral("CalibIntdlgSelectTCatpwr"));
    points_ = new CalibIntdlgTCatpwr(engine, windows, this);
    temperature_ = new CalibIntdlgTemTCatpwr(engine, windows, this);
    SetLeaves(points_, temperature_);
}
