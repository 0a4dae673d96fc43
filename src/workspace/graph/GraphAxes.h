#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "SensorCalibrationLoopMeasurementsPoint.h"

// The arithmetic of the graph, apart from any drawing: the value scale of
// each series, the texts of its value labels and the time axis. The graph
// window draws what these functions compute; tests check them without a
// window.
namespace GraphAxes {

using Point = SensorCalibrationLoopMeasurementsPoint;

constexpr int kSeriesCount = 4;
// Value labels per series: label 0 belongs to the top edge of the plot,
// label 10 to the bottom; only 1 to 9 are drawn, on the grid lines.
constexpr int kLabelCount = 11;
// A time label and a vertical grid line need this many pixels.
constexpr int kMinTimeLabelSpacing = 100;
// Fewer points than this still spread as if there were 64.
constexpr int kMinPointSpan = 63;

struct SeriesScale {
    bool hasData = false;
    float maxValue = 0;
    float minValue = 0;
    float scale = 0;     // pixels per unit
    float axisBase = 0;  // value at the bottom edge
    float axisStep = 0;  // value per grid division
    std::array<std::string, kLabelCount> labels;
};

struct TimeAxis {
    int labelCount = 0;
    std::int64_t msPerLabel = 0;
    std::int64_t pointsPerLabel = 0;
    // True when the label interval is a whole number of seconds: the labels
    // then read in seconds, else in milliseconds.
    bool seconds = false;
    // The number each label shows (seconds or milliseconds), label 1 first.
    std::vector<std::int64_t> values;
};

// Whether a point carries a usable value for the slot: its flag is set and
// the number is finite (a sensor text of "1e999" parses to infinity, which
// has no place on a scale).
bool HasValue(const Point& point, int slot);

// The smallest step of the value axis for a slot; for the concentration
// and the multigas channels it follows the largest value.
float BaseStep(int slot, float maxValue);

// The step sequence 1, 2, …, 9, 10, 20, …, 90, 100, 200, …: the multiple
// that follows `multiple`.
std::int64_t NextStepMultiple(std::int64_t multiple);

// The label text of a value on an axis of the given step: decimals by the
// step, thousands grouped with an apostrophe ("1'400", "-200").
std::string LabelText(float value, float step);

// Scales the series plotting `slot` over a plot `plotHeight` pixels high.
// A slot outside 0 to 31, or one no point holds a value for, has no data.
SeriesScale ScaleSeries(const std::vector<Point>& points, int slot, int plotHeight);

// Horizontal pixels per point over a plot `plotWidth` wide.
float PixelsPerPoint(std::size_t pointCount, int plotWidth);

// The time axis of `pointCount` points `intervalMs` apart on a plot
// `plotWidth` wide: no labels for an interval of 0 or less, fewer than two
// points, or a plot too narrow for one label.
TimeAxis BuildTimeAxis(std::size_t pointCount, int intervalMs, int plotWidth);

// The vertical pixel of `value` on the series' axis; `plotBottom` is the
// first row below the plot. Values far off the axis are held to a range
// the painter can still draw.
int ValueY(const SeriesScale& series, float value, int plotBottom);

} // namespace GraphAxes
