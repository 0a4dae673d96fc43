#pragma once

#include <QWidget>

#include "WindowHandle.h"

class Engine;
class GraphWnd;
class WindowRegistry;

// "График лога измерений": a top-level window, kept above the others, with
// one graph over the sensor's measurement log as read so far. It follows
// the log while it is read (every change reloads it), and its time axis
// steps by the sensor's log period. The calibration page opens it on the
// log panel's request and closes it when the page is left; it deletes
// itself on close.
class IntlogGraphFrame : public QWidget {
    Q_OBJECT
public:
    IntlogGraphFrame(Engine& engine, WindowRegistry& windows);
    ~IntlogGraphFrame() override;

    GraphWnd* Graph() const { return graph_; }
    WindowHandle Handle() const { return handle_; }
    // Reloads the graph from the engine's log and the sensor's parameters.
    void Load();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void customEvent(QEvent* event) override;

private:
    Engine& engine_;
    WindowRegistry& windows_;
    WindowHandle handle_;
    GraphWnd* graph_ = nullptr;
};
