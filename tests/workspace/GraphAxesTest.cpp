// The graph's arithmetic without a window: the value scale of a series, its
// label texts and the time axis.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "GraphAxes.h"
#include "LinePlotter.h"

namespace {

using GraphAxes::Point;

std::vector<Point> PointsOf(int slot, const std::vector<float>& values)
{
    std::vector<Point> points;
    for (float v : values) {
        Point p;
        p.values[static_cast<std::size_t>(slot)] = v;
        p.valid[static_cast<std::size_t>(slot)] = 1;
        points.push_back(p);
    }
    return points;
}

struct ScaleCase {
    const char* name;
    int slot;
    std::vector<float> values;
    int plotHeight;
    float step;
    float base;
    // The drawn labels, 1 (top grid line) to 9 (bottom grid line).
    std::vector<std::string> drawnLabels;
};

class GraphScaleTest : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(GraphScaleTest, StepBaseAndLabels)
{
    const ScaleCase& c = GetParam();
    const GraphAxes::SeriesScale s = GraphAxes::ScaleSeries(PointsOf(c.slot, c.values), c.slot, c.plotHeight);
    ASSERT_TRUE(s.hasData);
    EXPECT_NEAR(s.axisStep, c.step, std::abs(c.step) * 1e-5);
    EXPECT_NEAR(s.axisBase, c.base, std::abs(c.step) * 1e-4);
    EXPECT_NEAR(s.scale, c.plotHeight / (10 * c.step), 1e-3 * c.plotHeight / (10 * c.step));
    std::vector<std::string> drawn(s.labels.begin() + 1, s.labels.begin() + 10);
    EXPECT_EQ(drawn, c.drawnLabels);
    // Every value lies on the axis.
    for (float v : c.values) {
        EXPECT_GE(v, s.axisBase);
        EXPECT_LE(v, s.axisBase + 10 * s.axisStep);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GraphScaleTest,
    ::testing::Values(
        // The base step 0.001 grows to 0.08; the axis runs 0.16 to 0.96 and the
        // labels have one decimal.
        ScaleCase{"ConcentrationBelowOne", 0, {0.2f, 0.5f, 0.9f}, 200, 0.08f, 0.16f,
                  {"0.9", "0.8", "0.7", "0.6", "0.6", "0.5", "0.4", "0.3", "0.2"}},
        // Step 10 grows to 200; centring lowers the base twice.
        ScaleCase{"ConcentrationCentredTwice", 0, {0.0f, 600.0f, 1234.0f}, 200, 200.0f, -400.0f,
                  {"1'400", "1'200", "1'000", "800", "600", "400", "200", "0", "-200"}},
        // The sensor resistance keeps its step of 2000; centring brings the
        // base down to 40000.
        ScaleCase{"ResistanceKeepsItsStep", 4, {48000.0f, 52000.0f}, 200, 2000.0f, 40000.0f,
                  {"58'000", "56'000", "54'000", "52'000", "50'000", "48'000", "46'000", "44'000", "42'000"}},
        // A negative minimum puts the base one step below it.
        ScaleCase{"NegativeTemperature", 2, {-3.0f, 4.0f}, 200, 1.0f, -4.0f,
                  {"5", "4", "3", "2", "1", "0", "-1", "-2", "-3"}}),
    [](const ::testing::TestParamInfo<ScaleCase>& info) { return std::string(info.param.name); });

TEST(GraphAxesTest, LabelTextGroupsThousandsButNeverAfterTheMinus)
{
    struct Case {
        float value;
        float step;
        const char* text;
    };
    const Case cases[] = {
        {1400, 200, "1'400"},      {-200, 200, "-200"},        {-1234, 1, "-1'234"},
        {-123, 1, "-123"},         {1234567, 1000, "1'234'567"}, {-1234.5f, 0.001f, "-1'234.500"},
        {0.25f, 0.01f, "0.25"},    {999, 1, "999"},            {0.125f, 0.001f, "0.125"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GraphAxes::LabelText(c.value, c.step), c.text) << c.value;
}

TEST(GraphAxesTest, StepMultiplesGrowByTheirDecade)
{
    std::vector<std::int64_t> seen{1};
    while (seen.size() < 22)
        seen.push_back(GraphAxes::NextStepMultiple(seen.back()));
    const std::vector<std::int64_t> expected = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10,  20,
                                                30, 40, 50, 60, 70, 80, 90, 100, 200, 300, 400};
    EXPECT_EQ(seen, expected);
}

TEST(GraphAxesTest, NoDataWithoutAValidValueOrAValidSlot)
{
    std::vector<Point> points = PointsOf(0, {1.0f, 2.0f});
    for (auto& p : points)
        p.valid[0] = 0;
    EXPECT_FALSE(GraphAxes::ScaleSeries(points, 0, 200).hasData);
    EXPECT_FALSE(GraphAxes::ScaleSeries(PointsOf(0, {1.0f}), -1, 200).hasData);
    EXPECT_FALSE(GraphAxes::ScaleSeries(PointsOf(0, {1.0f}), 32, 200).hasData);
    EXPECT_FALSE(GraphAxes::ScaleSeries({}, 0, 200).hasData);
}

TEST(GraphAxesTest, OneValidPointStillHasAScale)
{
    std::vector<Point> points = PointsOf(1, {5.0f, 7.0f, 9.0f});
    points[0].valid[1] = 0;
    points[2].valid[1] = 0;
    const auto s = GraphAxes::ScaleSeries(points, 1, 200);
    ASSERT_TRUE(s.hasData);
    EXPECT_EQ(s.minValue, 7.0f);
    EXPECT_EQ(s.maxValue, 7.0f);
    EXPECT_FALSE(s.labels[5].empty());
}

// A number from the line can be anything a float holds: the scale must
// still end, and infinity takes no part in it.
TEST(GraphAxesTest, HugeAndInfiniteValuesEndTheScaling)
{
    const float inf = std::numeric_limits<float>::infinity();
    const auto huge = GraphAxes::ScaleSeries(PointsOf(0, {-3e38f, 3e38f}), 0, 200);
    ASSERT_TRUE(huge.hasData);
    EXPECT_TRUE(std::isfinite(huge.axisStep));

    const auto withInf = GraphAxes::ScaleSeries(PointsOf(0, {1.0f, inf, 2.0f}), 0, 200);
    ASSERT_TRUE(withInf.hasData);
    EXPECT_EQ(withInf.maxValue, 2.0f);
    EXPECT_FALSE(GraphAxes::ScaleSeries(PointsOf(0, {inf, std::nanf("")}), 0, 200).hasData);

    // A plot with no height (a window smaller than its margins).
    EXPECT_TRUE(GraphAxes::ScaleSeries(PointsOf(0, {0.0f, 1234.0f}), 0, -2).hasData);
}

struct TimeCase {
    const char* name;
    std::size_t points;
    int intervalMs;
    int plotWidth;
    std::int64_t pointsPerLabel;
    bool seconds;
    std::vector<std::int64_t> values;
};

class GraphTimeAxisTest : public ::testing::TestWithParam<TimeCase> {};

TEST_P(GraphTimeAxisTest, Labels)
{
    const TimeCase& c = GetParam();
    const GraphAxes::TimeAxis t = GraphAxes::BuildTimeAxis(c.points, c.intervalMs, c.plotWidth);
    EXPECT_EQ(t.values, c.values);
    EXPECT_EQ(t.labelCount, static_cast<int>(c.values.size()));
    if (!c.values.empty()) {
        EXPECT_EQ(t.pointsPerLabel, c.pointsPerLabel);
        EXPECT_EQ(t.seconds, c.seconds);
        EXPECT_EQ(t.msPerLabel, c.pointsPerLabel * c.intervalMs);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GraphTimeAxisTest,
    ::testing::Values(
        TimeCase{"LogGraph300At50ms", 300, 50, 600, 60, true, {3, 6, 9, 12, 15}},
        TimeCase{"PageGraph64At100ms", 64, 100, 600, 20, true, {2, 4, 6}},
        TimeCase{"MillisecondsWhenNotWholeSeconds", 64, 30, 600, 20, false, {600, 1200, 1800}},
        TimeCase{"NoIntervalOnTheCalibrationPage", 64, -1, 600, 0, false, {}},
        TimeCase{"ZeroInterval", 64, 0, 600, 0, false, {}},
        TimeCase{"OnePoint", 1, 100, 600, 0, false, {}},
        TimeCase{"TooNarrowForOneLabel", 64, 100, 199, 0, false, {}},
        // Few points: the count reaches zero before the labels are far enough
        // apart.
        TimeCase{"TwoPointsOnANarrowPlot", 2, 100, 250, 0, false, {}}),
    [](const ::testing::TestParamInfo<TimeCase>& info) { return std::string(info.param.name); });

TEST(GraphAxesTest, PointsSpreadAsIfThereWereAtLeast64)
{
    EXPECT_FLOAT_EQ(GraphAxes::PixelsPerPoint(10, 630), 10.0f);
    EXPECT_FLOAT_EQ(GraphAxes::PixelsPerPoint(0, 630), 10.0f);
    EXPECT_FLOAT_EQ(GraphAxes::PixelsPerPoint(301, 600), 2.0f);
}

} // namespace

namespace {

class LinePlotterTest : public ::testing::Test {
protected:
    static constexpr int kW = 40, kH = 30, kStride = 48; // rows padded, as an image's may be
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(kStride * kH, 0);
    LinePlotter plotter{pixels.data(), kW, kH, kStride};
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y * kStride + x)]; }
    int Count(std::uint32_t colour) const
    {
        int n = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kStride; ++x)
                n += pixels[static_cast<std::size_t>(y * kStride + x)] == colour ? 1 : 0;
        return n;
    }
};

TEST_F(LinePlotterTest, LinesAreTwoPixelsWide)
{
    plotter.Line(2, 5, 20, 5, 1);  // flat: the second pixel below
    plotter.Line(30, 2, 30, 12, 2); // steep: the second pixel beside
    EXPECT_EQ(Count(1), 2 * 19);
    EXPECT_EQ(At(2, 6), 1u);
    EXPECT_EQ(At(20, 6), 1u);
    EXPECT_EQ(At(21, 5), 0u);
    EXPECT_EQ(Count(2), 2 * 11);
    EXPECT_EQ(At(31, 12), 2u);
}

TEST_F(LinePlotterTest, OnlyWhatLiesOnTheSurfaceIsDrawn)
{
    // One end a million rows away: cut to the surface, nothing written in
    // the row padding or beyond the memory.
    plotter.Line(10, 10, 10, -1000000, 3);
    EXPECT_EQ(Count(3), 2 * 11);
    plotter.Line(-5, -5, -1, -1, 4);
    plotter.Line(kW - 1, 0, kW + 100, 0, 5);
    EXPECT_EQ(Count(4), 0);
    EXPECT_EQ(Count(5), 2); // the last column of row 0 and the one below
    for (int y = 0; y < kH; ++y)
        for (int x = kW; x < kStride; ++x)
            EXPECT_EQ(At(x, y), 0u);
}

TEST_F(LinePlotterTest, FrameAndDottedLine)
{
    plotter.Frame(1, 1, 10, 8, 6);
    EXPECT_EQ(Count(6), 2 * 10 + 2 * 6);
    plotter.DottedLine(0, 20, 9, 20, 7);
    EXPECT_EQ(Count(7), 5);
    EXPECT_EQ(At(0, 20), 7u);
    EXPECT_EQ(At(1, 20), 0u);
}

} // namespace
