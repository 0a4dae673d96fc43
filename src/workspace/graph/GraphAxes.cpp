#include "GraphAxes.h"

#include <algorithm>
#include <cmath>

#include "TextNumbers.h"

namespace GraphAxes {

namespace {

// Pixel arithmetic in whole pixels, as the drawing needs it; far-off values
// are held where a painter can still draw them instead of overflowing.
constexpr float kPixelLimit = 1 << 20;

int ToPixels(float v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<int>(std::clamp(v, -kPixelLimit, kPixelLimit));
}

// The axis base for a step: the step below the smallest value (one more
// step down when the smallest value is negative, so that it is not on the
// bottom edge).
float AxisBase(float minValue, float step)
{
    float base = step * std::trunc(minValue / step);
    if (minValue < 0)
        base -= step;
    return base;
}

} // namespace

bool HasValue(const Point& point, int slot)
{
    const auto s = static_cast<std::size_t>(slot);
    return point.valid[s] == 1 && std::isfinite(point.values[s]);
}

float BaseStep(int slot, float m)
{
    switch (slot) {
    case 1: case 2: case 5: case 6: case 7: case 9: case 10: case 18: case 19:
        return 1.0f;
    case 3: case 11: case 12:
        return 0.2f;
    case 4:
        return 2000.0f;
    case 8: case 13: case 14:
        return 0.01f;
    case 15: case 16: case 17:
        return 0.001f;
    default:
        break;
    }
    // The concentration and the multigas channels span any range the gas
    // and the units give: the step follows the largest value.
    if (m > 1000000) return 10000.0f;
    if (m > 100000) return 1000.0f;
    if (m > 10000) return 100.0f;
    if (m > 1000) return 10.0f;
    if (m > 100) return 1.0f;
    if (m > 10) return 0.1f;
    if (m > 1) return 0.01f;
    return 0.001f;
}

std::int64_t NextStepMultiple(std::int64_t multiple)
{
    // 1 … 9 by ones, 10 … 90 by tens, 100 … 900 by hundreds, …
    std::int64_t decade = 1;
    while (multiple >= decade * 10)
        decade *= 10;
    return multiple + decade;
}

std::string LabelText(float value, float step)
{
    const char* format = "%.03f";
    if (step > 0.5f)
        format = "%.0f";
    else if (step > 0.05f)
        format = "%.01f";
    else if (step > 0.005f)
        format = "%.02f";
    std::string text = FormatC(format, value);
    const std::size_t point = text.rfind('.');
    std::size_t p = point == std::string::npos ? text.size() : point;
    const std::size_t q = !text.empty() && text[0] == '-' ? 1 : 0;
    while (p >= q + 4) {
        p -= 3;
        text.insert(p, 1, '\'');
    }
    return text;
}

SeriesScale ScaleSeries(const std::vector<Point>& points, int slot, int plotHeight)
{
    SeriesScale s;
    if (slot < 0 || slot >= static_cast<int>(Point::kSlots))
        return s;
    for (const Point& p : points) {
        if (!HasValue(p, slot))
            continue;
        const float v = p.values[static_cast<std::size_t>(slot)];
        if (!s.hasData) {
            s.maxValue = s.minValue = v;
            s.hasData = true;
        } else {
            s.maxValue = std::max(s.maxValue, v);
            s.minValue = std::min(s.minValue, v);
        }
    }
    if (!s.hasData)
        return s;

    const float c = BaseStep(slot, s.maxValue);
    // Values in floats, as the axis is kept: the multiples are counted in
    // a float too, since a huge value may need more than 64 bits of them.
    float multiple = 1;
    float decade = 1;
    float step = c;
    float base = AxisBase(s.minValue, step);
    while (s.maxValue > base + 10 * step) {
        multiple += decade;
        if (multiple >= decade * 10)
            decade *= 10;
        const float next = c * multiple;
        if (!std::isfinite(next))
            break;
        step = next;
        base = AxisBase(s.minValue, step);
    }
    s.axisStep = step;
    s.scale = static_cast<float>(plotHeight) / (10 * step);

    // Centre the values: lower the axis while their middle sits above the
    // plot's centre line and the largest value still stays below the top.
    const float middle = (s.minValue + s.maxValue) / 2;
    const float division = static_cast<float>(plotHeight) / 10;
    const float centreLine = static_cast<float>(plotHeight / 2) + division / 2;
    while (static_cast<float>(plotHeight - ToPixels((middle - base) * s.scale)) > centreLine &&
           s.maxValue < base - step + 10 * step) {
        const float lowered = base - step;
        if (lowered == base)
            break; // the step is lost in the value's precision
        base = lowered;
    }
    s.axisBase = base;

    for (int i = 0; i < kLabelCount; ++i)
        s.labels[static_cast<std::size_t>(i)] = LabelText(base + static_cast<float>(kLabelCount - 1 - i) * step, step);
    return s;
}

float PixelsPerPoint(std::size_t pointCount, int plotWidth)
{
    const std::int64_t span = std::max<std::int64_t>(static_cast<std::int64_t>(pointCount) - 1, kMinPointSpan);
    return static_cast<float>(plotWidth) / static_cast<float>(span);
}

TimeAxis BuildTimeAxis(std::size_t pointCount, int intervalMs, int plotWidth)
{
    TimeAxis t;
    if (intervalMs <= 0 || pointCount < 2)
        return t;
    const int maxLabels = plotWidth / kMinTimeLabelSpacing - 1;
    if (maxLabels < 1)
        return t;
    const float ppp = PixelsPerPoint(pointCount, plotWidth);
    const auto count = static_cast<std::int64_t>(pointCount);
    std::int64_t perLabel = 1;
    std::int64_t labels = count;
    while (labels > 0 &&
           (labels > maxLabels || ToPixels(ppp * static_cast<float>(perLabel)) < kMinTimeLabelSpacing)) {
        perLabel = NextStepMultiple(perLabel);
        labels = count / perLabel;
    }
    if (labels == 0)
        return t;
    t.labelCount = static_cast<int>(labels);
    t.pointsPerLabel = perLabel;
    t.msPerLabel = perLabel * intervalMs;
    t.seconds = t.msPerLabel % 1000 == 0;
    for (std::int64_t k = 1; k <= labels; ++k)
        t.values.push_back(t.seconds ? k * t.msPerLabel / 1000 : k * t.msPerLabel);
    return t;
}

int ValueY(const SeriesScale& series, float value, int plotBottom)
{
    return plotBottom - ToPixels((value - series.axisBase) * series.scale);
}

} // namespace GraphAxes
