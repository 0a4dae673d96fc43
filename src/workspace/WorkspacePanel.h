#pragma once

#include <QSize>
#include <QString>

#include <cstdint>

#include "TabPage.h"
#include "WindowHandle.h"

class QGroupBox;
class QVBoxLayout;

// What the settings and calibration panels of the calibration page share:
// a child of the page in one of its panel places, framed by a group box,
// sized from its layout's dialog units. Like a page, its enable transition
// is its activate and deactivate signal (the page enables the panel it
// shows); unlike a page, hiding a panel ends nothing on the line — the page
// does that when it is left itself.
class WorkspacePanel : public TabPage {
    Q_OBJECT
public:
    // `caption` empty: no group box (the leaves inside a tab holder).
    WorkspacePanel(Engine& engine, WindowRegistry& windows, QWidget* parent, const QString& caption, QSize sizeDlu);

    // The window and message that the panel tells when a request of its own
    // ended or was refused (the page and its "panel done" message).
    void SetNotifyTarget(WindowHandle window, std::uint32_t message);

    // Whether the engine takes a single re-read or write now: the engine is
    // in a steady mode other than a running HART or journal task, or polls
    // for calibration between two exchanges. Every read and write button of
    // the workspace follows it.
    static bool CommandsAccepted(Engine& engine);

    // The panel's size in pixels, from its layout's dialog units.
    QSize TemplateSize() const { return templateSize_; }
    QSize sizeHint() const override { return templateSize_; }

protected:
    void OnDeactivate() override;
    // Where the panel's rows go.
    QVBoxLayout* Body() const { return body_; }
    QGroupBox* Frame() const { return frame_; }

    WindowHandle notifyWindow_;
    std::uint32_t notifyMessage_ = 0;

private:
    QGroupBox* frame_ = nullptr;
    QVBoxLayout* body_ = nullptr;
    QSize templateSize_;
};
