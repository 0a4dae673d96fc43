#include "WorkspacePanel.h"

#include <QGroupBox>
#include <QVBoxLayout>

#include "DialogUnits.h"
#include "Engine.h"
#include "NotificationIds.h"
#include "SensorParameters.h"
#include "StringTable.h"
#include "WindowMessageEvent.h"
#include "WindowRegistry.h"

WorkspacePanel::WorkspacePanel(Engine& engine, WindowRegistry& windows, QWidget* parent, const QString& caption,
                               QSize sizeDlu)
    : TabPage(engine, windows, parent)
{
    templateSize_ = DialogUnits::ToPixels(fontMetrics(), sizeDlu.width(), sizeDlu.height());
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    if (caption.isEmpty()) {
        body_ = outer;
    } else {
        frame_ = new QGroupBox(caption, this);
        frame_->setObjectName(QStringLiteral("Frame"));
        outer->addWidget(frame_);
        body_ = new QVBoxLayout(frame_);
    }
}

void WorkspacePanel::SetNotifyTarget(WindowHandle window, std::uint32_t message)
{
    notifyWindow_ = window;
    notifyMessage_ = message;
}

bool WorkspacePanel::CommandsAccepted(Engine& engine)
{
    switch (engine.mode) {
    case Engine::kModeIdle:
    case Engine::kModeConnected:
    case Engine::kModeHartPolling:
    case Engine::kModeEventJournal:
    case Engine::kModeThresholdJournal:
    case Engine::kModeDevicePolling:
    case Engine::kModeSensorPolling:
        return true;
    case Engine::kModeCalibrationPolling:
        return !engine.IsPollBusy();
    default:
        return false;
    }
}

QStringList WorkspacePanel::Texts(int firstId, int count)
{
    QStringList texts;
    for (int i = 0; i < count; ++i)
        texts.append(StringTable::Get(firstId + i));
    return texts;
}

QStringList WorkspacePanel::Caption(int firstLine, int secondLine)
{
    QStringList lines{StringTable::Get(firstLine)};
    if (secondLine != 0)
        lines.append(StringTable::Get(secondLine));
    return lines;
}

QWidget* WorkspacePanel::Surface()
{
    return frame_ != nullptr ? static_cast<QWidget*>(frame_) : this;
}

SettingsRow* WorkspacePanel::AddRow(QGridLayout* grid, int& gridRow, SettingsRow::Spec spec)
{
    auto* row = new SettingsRow(engine(), std::move(spec), Surface());
    row->AddTo(grid, gridRow);
    connect(row, &SettingsRow::Refused, this, &WorkspacePanel::OnRequestRefused);
    rows_.push_back(row);
    return row;
}

void WorkspacePanel::UpdateControls()
{
    const bool accepted = CommandsAccepted(engine());
    for (SettingsRow* row : rows_)
        row->UpdateControls(accepted);
}

void WorkspacePanel::ShowValues()
{
    SensorParameters p;
    engine().CopySensorParameters(p);
    for (SettingsRow* row : rows_)
        row->ShowValues(p);
}

void WorkspacePanel::OnActivate()
{
    UpdateControls();
    ShowValues();
    Register(NotificationId::ModeChanged);
    Register(NotificationId::LineTaskEvent);
    Register(NotificationId::SensorParametersChanged);
}

void WorkspacePanel::OnDeactivate()
{
    UnregisterAll();
}

void WorkspacePanel::OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    (void)wParam;
    (void)lParam;
    switch (message) {
    case NotificationId::ModeChanged:
    case NotificationId::LineTaskEvent:
        UpdateControls();
        break;
    case NotificationId::SensorParametersChanged:
        ShowValues();
        // A calibration point handed to a cyclic poll makes the poll busy
        // without a mode change; the poll's next read tells it here, so the
        // buttons do not offer what the engine would refuse.
        UpdateControls();
        break;
    default:
        break;
    }
}

void WorkspacePanel::OnRequestRefused()
{
    UpdateControls();
    if (notifyWindow_ && notifyMessage_ != 0)
        windows().Post(notifyWindow_, new WindowMessageEvent(notifyMessage_, 0, 0));
}
