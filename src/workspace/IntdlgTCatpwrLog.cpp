#include "IntdlgTCatpwrLog.h"

#include <QComboBox>

#include "Engine.h"
#include "SensorCommandRequest.h"
#include "SensorParameters.h"

IntdlgTCatpwrLog::IntdlgTCatpwrLog(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : IntdlgLogBase(engine, windows, parent, Panel::TCatpwr, Initial{"450", {"10", "200", "0"}})
{
    setObjectName(QStringLiteral("IntdlgTCatpwrLog"));
}

bool IntdlgTCatpwrLog::CreateAllowed(bool accept, bool plain, bool configured, const SensorParameters& p) const
{
    (void)p;
    return accept && configured && plain;
}

void IntdlgTCatpwrLog::OnCreate()
{
    ClearList();
    SensorCommandRequest r;
    r.code = 35;
    r.texts[0] = std::to_string(std::max(0, StartConditionList()->currentIndex()));
    r.texts[1] = std::to_string(std::max(0, ChannelList()->currentIndex()));
    Write(r);
}
