#include "CalibIntdlgSelectSemi.h"

#include "CalibIntdlgSemi.h"
#include "CalibTemperaturePanel.h"

CalibIntdlgSelectSemi::CalibIntdlgSelectSemi(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : CalibSelectHolder(engine, windows, parent)
{
    setObjectName(QStringLiteral("CalibIntdlgSelectSemi"));
    points_ = new CalibIntdlgSemi(engine, windows, this);
    temperature_ = new CalibIntdlgTemSemi(engine, windows, this);
    SetLeaves(points_, temperature_);
}
