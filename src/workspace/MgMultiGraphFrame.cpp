#include "MgMultiGraphFrame.h"

#include <vector>

#include "Cp1251.h"
#include "Engine.h"
#include "GraphWnd.h"
#include "NotificationIds.h"
#include "SensorCalibrationLoopMeasurementsPoint.h"
#include "StringTable.h"
#include "WindowMessageEvent.h"
#include "WindowRegistry.h"

namespace {
constexpr std::size_t kPanePoints = 64;
}

MgMultiGraphFrame::MgMultiGraphFrame(Engine& engine, WindowRegistry& windows, WindowHandle notify,
                                     std::uint32_t message)
    : QWidget(nullptr, Qt::Window), engine_(engine), windows_(windows), notify_(notify), message_(message)
{
    setObjectName(QStringLiteral("MgMultiGraphFrame"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(StringTable::Get(StringTable::kMultigasCaption));
    setMinimumSize(800, 600);
    handle_ = windows_.Add(this);
    for (int i = 0; i < kPanes; ++i) {
        auto* pane = new GraphWnd(this);
        pane->setObjectName(QStringLiteral("Pane%1").arg(i + 1));
        std::array<int, GraphWnd::kSeriesCount> series{GraphWnd::kNoSeries, GraphWnd::kNoSeries, GraphWnd::kNoSeries,
                                                       GraphWnd::kNoSeries};
        series[0] = int(SensorCalibrationLoopMeasurementsPoint::kMultigas1) + i;
        panes_[std::size_t(i)] = pane;
        pane->SetSeriesAndInterval(series, -1);
    }
    LayoutPanes();
    engine_.Register(handle_, NotificationId::MeasurementsChanged);
    RefreshPanes();
}

MgMultiGraphFrame::~MgMultiGraphFrame()
{
    engine_.UnregisterAll(handle_);
    windows_.Remove(handle_);
    if (notify_)
        windows_.Post(notify_, new WindowMessageEvent(message_, 0, 0));
}

QRect MgMultiGraphFrame::PaneRect(int index, QSize size)
{
    const int w = size.width() / kColumns;
    const int h = size.height() / kRows;
    const int column = index % kColumns;
    const int row = index / kColumns;
    const int right = column == kColumns - 1 ? size.width() : (column + 1) * w;
    const int bottom = row == kRows - 1 ? size.height() : (row + 1) * h;
    return QRect(QPoint(column * w, row * h), QPoint(right - 1, bottom - 1));
}

void MgMultiGraphFrame::RefreshPanes()
{
    std::vector<SensorCalibrationLoopMeasurementsPoint> points;
    engine_.CopyMeasurements(kPanePoints, points);
    for (int i = 0; i < kPanes; ++i) {
        GraphWnd* pane = panes_[std::size_t(i)];
        pane->SetSerialText(QString::fromStdString(Cp1251::ToUtf8(engine_.GetMultigasChannelName(std::size_t(i)))));
        pane->SetPoints(points);
        pane->Refresh();
    }
}

void MgMultiGraphFrame::LayoutPanes()
{
    for (int i = 0; i < kPanes; ++i)
        panes_[std::size_t(i)]->setGeometry(PaneRect(i, size()));
}

void MgMultiGraphFrame::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayoutPanes();
}

void MgMultiGraphFrame::customEvent(QEvent* event)
{
    if (event->type() == WindowMessageEvent::EventType()) {
        if (static_cast<WindowMessageEvent*>(event)->Message() == NotificationId::MeasurementsChanged)
            RefreshPanes();
        return;
    }
    QWidget::customEvent(event);
}
