#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <vector>

#include "GraphAxes.h"
#include "SensorCalibrationLoopMeasurementsPoint.h"

class QPainter;

// The tool's chart: up to four series of measurement points against the
// point index, each on its own value scale with labels in its colour, a
// dotted grid, an optional time axis and a legend.
//
// Everything is drawn into an off-screen image when the data or the size
// changes; a paint only copies that image, so repainting never recomputes
// and never flickers. The owner sets the data, then calls Refresh().
class GraphWnd : public QWidget {
    Q_OBJECT
public:
    using Point = SensorCalibrationLoopMeasurementsPoint;
    static constexpr int kSeriesCount = GraphAxes::kSeriesCount;
    // No series on this place: any number outside 0 to 31 says the same.
    static constexpr int kNoSeries = -1;
    // The margin between the window's edge and the plot.
    static constexpr int kPlotMargin = 3;
    // Character height of every text of the graph.
    static constexpr int kFontHeight = 11;

    explicit GraphWnd(QWidget* parent = nullptr);

    // The points to plot, oldest first.
    void SetPoints(std::vector<Point> points) { points_ = std::move(points); }
    const std::vector<Point>& Points() const { return points_; }
    // Appended to the names of multigas channel series: the channel's
    // sensor, " (SN:…)".
    void SetSerialText(const QString& text) { serialText_ = text; }
    const QString& SerialText() const { return serialText_; }
    // The point slot of each series, and the time between two points in
    // milliseconds (0 or less: no time axis); refreshes.
    void SetSeriesAndInterval(const std::array<int, kSeriesCount>& series, int intervalMs);
    const std::array<int, kSeriesCount>& Series() const { return series_; }
    int IntervalMs() const { return intervalMs_; }

    // Rescales, rebuilds the time axis, draws off-screen and asks for a
    // paint.
    void Refresh();

    // What the last refresh computed.
    const GraphAxes::SeriesScale& Scale(int series) const { return scales_.at(static_cast<std::size_t>(series)); }
    // Label 0 is the top edge, label 10 the bottom; 1 to 9 are drawn.
    QString ValueLabel(int series, int label) const;
    QString SeriesName(int series) const { return names_.at(static_cast<std::size_t>(series)); }
    const GraphAxes::TimeAxis& TimeAxis() const { return timeAxis_; }
    // Label k of the time axis, from 1.
    QString TimeLabel(int k) const;
    QRect PlotRect() const { return plot_; }
    float DivisionHeight() const { return division_; }
    float PixelsPerPoint() const { return pixelsPerPoint_; }

    // The off-screen image, and a number that changes only when a new image
    // replaces it (a resize to another size).
    const QImage& Surface() const { return surface_; }
    std::uint64_t SurfaceGeneration() const { return surfaceGeneration_; }

    // The legend name of a slot: the quantity, or for slots 20 to 31 the
    // multigas channel with the serial number when there is one.
    static QString SlotName(int slot, const QString& serialText);
    static QColor LabelColour(int series);
    static QColor LineColour(int series);
    static QColor GridColour() { return {196, 196, 196}; }
    static QColor FrameColour() { return {64, 64, 64}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void EnsureSurface(const QSize& size);
    void Layout();
    // What the background holds: everything drawn before the lines.
    struct BackgroundKey {
        QSize size;
        std::array<bool, kSeriesCount> hasData{};
        std::array<std::array<QString, GraphAxes::kLabelCount>, kSeriesCount> labels;
        std::array<QString, kSeriesCount> names;
        std::vector<QString> timeLabels;
        std::vector<int> timeX;
        bool operator==(const BackgroundKey&) const = default;
    };

    void Render();
    BackgroundKey CurrentBackgroundKey() const;
    void RenderBackground(const BackgroundKey& key);
    void DrawText(QPainter& painter, int x, int top, const QString& text);

    std::vector<Point> points_;
    std::array<int, kSeriesCount> series_{kNoSeries, kNoSeries, kNoSeries, kNoSeries};
    int intervalMs_ = -1;
    QString serialText_;

    std::array<GraphAxes::SeriesScale, kSeriesCount> scales_;
    std::array<std::array<QString, GraphAxes::kLabelCount>, kSeriesCount> labels_;
    std::array<QString, kSeriesCount> names_;
    GraphAxes::TimeAxis timeAxis_;
    std::vector<QString> timeLabels_;
    float pixelsPerPoint_ = 0;

    QImage surface_;
    // The white, the grid, the labels and the legend change only when the
    // scale, the names or the time axis do; the lines change with every
    // point. The background is kept and copied under the new lines.
    QImage background_;
    BackgroundKey backgroundKey_;
    std::uint64_t surfaceGeneration_ = 0;
    QFont font_;
    QRect plot_;
    float division_ = 0;
};
