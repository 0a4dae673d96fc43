#include "IntdlgSemiLog.h"

#include "Engine.h"
#include "SensorCommandRequest.h"
#include "SensorParameters.h"

IntdlgSemiLog::IntdlgSemiLog(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : IntdlgLogBase(engine, windows, parent, Panel::Semi, Initial{"400", {"100", "50", "0"}})
{
    setObjectName(QStringLiteral("IntdlgSemiLog"));
}

bool IntdlgSemiLog::CreateAllowed(bool accept, bool plain, bool configured, const SensorParameters& p) const
{
    return accept && p.tg.valid != 0 && configured && plain;
}

void IntdlgSemiLog::OnCreate()
{
    SensorParameters p;
    engine().CopySensorParameters(p);
    if (p.tg.valid == 0 || p.tg.text.empty())
        return;
    ClearList();
    // The temperature as the sensor holds it, not the edit: only the log
    // is to start anew.
    SensorCommandRequest r;
    r.code = 21;
    r.texts[0] = p.tg.text;
    Write(r);
}
