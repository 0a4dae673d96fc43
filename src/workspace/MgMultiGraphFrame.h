#pragma once

#include <QRect>
#include <QWidget>

#include <array>
#include <cstdint>

#include "WindowHandle.h"

class Engine;
class GraphWnd;
class WindowRegistry;

// "Мультигаз": a top-level window with one graph pane per channel of the
// multigas rack (4 columns, 3 rows), each pane showing its channel's value
// over the newest points of the calibration poll and named after the
// channel. Closed by any means, it tells the calibration page, which then
// releases its "Мультигаз" toggle; the window deletes itself on close.
class MgMultiGraphFrame : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPanes = 12;
    static constexpr int kColumns = 4;
    static constexpr int kRows = 3;

    MgMultiGraphFrame(Engine& engine, WindowRegistry& windows, WindowHandle notify, std::uint32_t message);
    ~MgMultiGraphFrame() override;

    // Pane i's rectangle in a client area of `size`: a quarter of the width
    // and a third of the height, the last column and row reaching the edges.
    static QRect PaneRect(int index, QSize size);

    GraphWnd* Pane(int index) const { return panes_.at(std::size_t(index)); }
    WindowHandle Handle() const { return handle_; }
    // Reloads every pane from the engine.
    void RefreshPanes();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void customEvent(QEvent* event) override;

private:
    void LayoutPanes();

    Engine& engine_;
    WindowRegistry& windows_;
    WindowHandle handle_;
    WindowHandle notify_;
    std::uint32_t message_;
    std::array<GraphWnd*, kPanes> panes_{};
};
