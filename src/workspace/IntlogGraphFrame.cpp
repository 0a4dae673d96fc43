#include "IntlogGraphFrame.h"

#include <vector>

#include "Engine.h"
#include "GraphWnd.h"
#include "IntlogTables.h"
#include "NotificationIds.h"
#include "SensorParameters.h"
#include "StringTable.h"
#include "WindowMessageEvent.h"
#include "WindowRegistry.h"

namespace {
constexpr int kGraphTitle = 291; // "График лога измерений"
}

IntlogGraphFrame::IntlogGraphFrame(Engine& engine, WindowRegistry& windows)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint), engine_(engine), windows_(windows)
{
    setObjectName(QStringLiteral("IntlogGraphFrame"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(StringTable::Get(kGraphTitle));
    setCursor(Qt::ArrowCursor);
    setMinimumSize(400, 300);
    handle_ = windows_.Add(this);
    graph_ = new GraphWnd(this);
    graph_->setObjectName(QStringLiteral("LogGraph"));
    graph_->setGeometry(rect());
    engine_.Register(handle_, NotificationId::SensorLogChanged);
    Load();
}

IntlogGraphFrame::~IntlogGraphFrame()
{
    engine_.UnregisterAll(handle_);
    windows_.Remove(handle_);
}

void IntlogGraphFrame::Load()
{
    std::vector<SensorIntlogRecord> records;
    engine_.CopyIntlog(0, records);
    SensorParameters p;
    engine_.CopySensorParameters(p);
    IntlogTables::Graph g = IntlogTables::BuildGraph(records, p);
    graph_->SetPoints(std::move(g.points));
    graph_->SetSeriesAndInterval(g.series, g.intervalMs);
}

void IntlogGraphFrame::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    graph_->setGeometry(rect());
}

void IntlogGraphFrame::customEvent(QEvent* event)
{
    if (event->type() == WindowMessageEvent::EventType()) {
        if (static_cast<WindowMessageEvent*>(event)->Message() == NotificationId::SensorLogChanged)
            Load();
        return;
    }
    QWidget::customEvent(event);
}
