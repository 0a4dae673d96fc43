#include "WorkspacePanel.h"

#include <QGroupBox>
#include <QVBoxLayout>

#include "DialogUnits.h"
#include "Engine.h"

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

void WorkspacePanel::OnDeactivate()
{
    UnregisterAll();
}
