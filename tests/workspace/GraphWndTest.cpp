// The graph window and the fitted text, drawn off-screen: what reaches the
// image, the names and labels beside it, and when the image is replaced.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <vector>

#include "GraphWnd.h"
#include "TCommonTextDraw.h"

namespace {

using Point = GraphWnd::Point;

int CountPixels(const QImage& image, const QColor& colour)
{
    const QRgb wanted = colour.rgb();
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            n += (line[x] | 0xFF000000u) == wanted ? 1 : 0;
    }
    return n;
}

// `count` points; the given slots get a wave around `level`.
std::vector<Point> Wave(std::size_t count, const std::vector<std::pair<int, float>>& waves)
{
    std::vector<Point> points(count);
    for (std::size_t j = 0; j < count; ++j) {
        for (const auto& [slot, level] : waves) {
            const auto s = static_cast<std::size_t>(slot);
            points[j].values[s] = level * (1.0f + 0.2f * std::sin(static_cast<float>(j) / 25.0f + level));
            points[j].valid[s] = 1;
        }
    }
    return points;
}

class GraphWndTest : public ::testing::Test {
protected:
    void SetUp() override { graph.resize(606, 406); }
    GraphWnd graph;
};

TEST_F(GraphWndTest, ASeriesWithoutValidValuesDrawsNothingAndHasNoLegend)
{
    std::vector<Point> points = Wave(64, {{0, 5.0f}, {1, 300.0f}});
    for (auto& p : points)
        p.valid[1] = 0;
    graph.SetPoints(points);
    graph.SetSeriesAndInterval({0, 1, GraphWnd::kNoSeries, GraphWnd::kNoSeries}, -1);

    EXPECT_TRUE(graph.Scale(0).hasData);
    EXPECT_FALSE(graph.Scale(1).hasData);
    EXPECT_EQ(graph.SeriesName(0), QStringLiteral("C"));
    EXPECT_TRUE(graph.SeriesName(1).isEmpty());
    EXPECT_GT(CountPixels(graph.Surface(), GraphWnd::LineColour(0)), 100);
    EXPECT_EQ(CountPixels(graph.Surface(), GraphWnd::LineColour(1)), 0);
    EXPECT_EQ(CountPixels(graph.Surface(), GraphWnd::LabelColour(1)), 0);
}

TEST_F(GraphWndTest, ALoneValidPointDrawsNoLineButHasLabelsAndALegend)
{
    std::vector<Point> points = Wave(64, {{2, 20.0f}});
    for (std::size_t j = 0; j < points.size(); ++j)
        points[j].valid[2] = j == 30 ? 1 : 0;
    graph.SetPoints(points);
    graph.SetSeriesAndInterval({2, GraphWnd::kNoSeries, GraphWnd::kNoSeries, GraphWnd::kNoSeries}, -1);

    ASSERT_TRUE(graph.Scale(0).hasData);
    EXPECT_EQ(graph.SeriesName(0), QStringLiteral("Tср"));
    for (int a = 1; a <= 9; ++a)
        EXPECT_FALSE(graph.ValueLabel(0, a).isEmpty()) << a;
    EXPECT_EQ(CountPixels(graph.Surface(), GraphWnd::LineColour(0)), 0);
    EXPECT_GT(CountPixels(graph.Surface(), GraphWnd::LabelColour(0)), 0);
}

TEST_F(GraphWndTest, AnInvalidPointBreaksTheLine)
{
    // Two runs of the same level: with the gap the line has a hole where
    // the invalid point lies.
    std::vector<Point> points(64);
    for (std::size_t j = 0; j < points.size(); ++j) {
        points[j].values[1] = 50.0f;
        points[j].valid[1] = j == 32 ? 0 : 1;
    }
    graph.SetPoints(points);
    graph.SetSeriesAndInterval({1, GraphWnd::kNoSeries, GraphWnd::kNoSeries, GraphWnd::kNoSeries}, -1);
    const int y = GraphAxes::ValueY(graph.Scale(0), 50.0f, graph.PlotRect().top() + graph.PlotRect().height());
    const float ppp = graph.PixelsPerPoint();
    const int left = graph.PlotRect().left();
    const QRgb line = GraphWnd::LineColour(0).rgb();
    auto at = [&](float x) { return graph.Surface().pixel(left + static_cast<int>(x), y) | 0xFF000000u; };
    EXPECT_EQ(at(ppp * 10.5f), line);
    EXPECT_NE(at(ppp * 32.0f), line);
    EXPECT_EQ(at(ppp * 50.5f), line);
}

TEST_F(GraphWndTest, TimeLabelsReadInSecondsOrNotAtAll)
{
    graph.resize(606, 200); // a plot 600 pixels wide
    graph.SetPoints(Wave(300, {{0, 1.0f}}));
    graph.SetSeriesAndInterval({0, GraphWnd::kNoSeries, GraphWnd::kNoSeries, GraphWnd::kNoSeries}, 50);
    ASSERT_EQ(graph.PlotRect().width(), 600);
    ASSERT_EQ(graph.TimeAxis().labelCount, 5);
    EXPECT_EQ(graph.TimeLabel(1), QStringLiteral("3с"));
    EXPECT_EQ(graph.TimeLabel(5), QStringLiteral("15с"));
    EXPECT_GT(CountPixels(graph.Surface(), GraphWnd::FrameColour()), 0);

    graph.SetSeriesAndInterval({0, GraphWnd::kNoSeries, GraphWnd::kNoSeries, GraphWnd::kNoSeries}, 30);
    EXPECT_EQ(graph.TimeLabel(1), QStringLiteral("1800мс"));

    graph.SetSeriesAndInterval({0, GraphWnd::kNoSeries, GraphWnd::kNoSeries, GraphWnd::kNoSeries}, -1);
    EXPECT_EQ(graph.TimeAxis().labelCount, 0);
    EXPECT_TRUE(graph.TimeLabel(1).isEmpty());
    // No vertical grid line: a column inside the plot away from the lines
    // and labels holds no grid colour.
    const QImage& image = graph.Surface();
    const int x = graph.PlotRect().left() + 300;
    int grid = 0;
    for (int y = graph.PlotRect().top() + 1; y < graph.PlotRect().bottom(); ++y)
        grid += (image.pixel(x, y) | 0xFF000000u) == GraphWnd::GridColour().rgb() ? 1 : 0;
    EXPECT_LE(grid, 9); // at most where the horizontal grid lines cross
}

TEST_F(GraphWndTest, ResizingToTheSameSizeKeepsTheImage)
{
    graph.show();
    graph.SetPoints(Wave(64, {{0, 1.0f}}));
    graph.Refresh();
    const auto generation = graph.SurfaceGeneration();
    graph.resize(606, 406);
    graph.Refresh();
    EXPECT_EQ(graph.SurfaceGeneration(), generation);
    graph.resize(500, 300);
    EXPECT_NE(graph.SurfaceGeneration(), generation);
    EXPECT_EQ(graph.Surface().size(), QSize(500, 300));
    EXPECT_EQ(graph.PlotRect(), QRect(3, 3, 494, 294));
}

TEST(GraphNamesTest, SlotNames)
{
    EXPECT_EQ(GraphWnd::SlotName(0, {}), QStringLiteral("C"));
    EXPECT_EQ(GraphWnd::SlotName(11, {}), QStringLiteral("Tcat"));
    EXPECT_EQ(GraphWnd::SlotName(15, {}), QStringLiteral("Pcat"));
    EXPECT_EQ(GraphWnd::SlotName(19, {}), QStringLiteral("ADCусил"));
    EXPECT_EQ(GraphWnd::SlotName(20, {}), QStringLiteral("Канал 1"));
    EXPECT_EQ(GraphWnd::SlotName(31, QStringLiteral("2301-17")), QStringLiteral("Канал 12 (SN:2301-17)"));
    EXPECT_TRUE(GraphWnd::SlotName(32, {}).isEmpty());
}

TEST(GraphPictureTest, FourSeries)
{
    GraphWnd graph;
    graph.resize(800, 600);
    std::vector<Point> points = Wave(300, {{0, 0.7f}, {2, 24.0f}, {4, 50000.0f}, {20, 1234.0f}});
    for (std::size_t j = 120; j < 130; ++j)
        points[j].valid[4] = 0; // a gap in one line
    graph.SetPoints(points);
    graph.SetSerialText(QStringLiteral("2301-17"));
    graph.SetSeriesAndInterval({0, 2, 4, 20}, 500);
    for (int i = 0; i < GraphWnd::kSeriesCount; ++i) {
        EXPECT_TRUE(graph.Scale(i).hasData) << i;
        EXPECT_GT(CountPixels(graph.Surface(), GraphWnd::LineColour(i)), 100) << i;
    }
    EXPECT_EQ(graph.SeriesName(3), QStringLiteral("Канал 1 (SN:2301-17)"));

    const QString dir = QStringLiteral(KORVAN_TEST_ARTIFACT_DIR);
    ASSERT_TRUE(QDir().mkpath(dir));
    EXPECT_TRUE(graph.Surface().save(dir + "/graph-four-series.png"));
}

class TextDrawTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        image = QImage(200, 100, QImage::Format_RGB32);
        image.fill(Qt::white);
    }
    QImage image;
};

TEST_F(TextDrawTest, TheLargestFittingFontStaysUntilReset)
{
    TCommonTextDraw draw(200);
    QPainter p(&image);
    const QRect box(10, 10, 150, 60);
    draw.Draw(p, box, QStringLiteral("00:00"), Qt::black);
    const int chosen = draw.CurrentHeight();
    ASSERT_GT(chosen, 2);
    ASSERT_LT(chosen, 200);
    // It fits, and one size larger would not.
    const auto fits = [&](int h, const QString& text) {
        TCommonTextDraw probe(h);
        QImage scratch(1, 1, QImage::Format_RGB32);
        QPainter sp(&scratch);
        probe.Draw(sp, box, text, Qt::black);
        return probe.CurrentHeight() == h;
    };
    EXPECT_TRUE(fits(chosen, QStringLiteral("00:00")));
    EXPECT_FALSE(fits(chosen + 1, QStringLiteral("00:00")));
    EXPECT_GT(CountPixels(image, Qt::black), 0);

    draw.Draw(p, box, QStringLiteral("100:00"), Qt::black);
    EXPECT_EQ(draw.CurrentHeight(), chosen);
    draw.Reset();
    EXPECT_EQ(draw.CurrentHeight(), -1);
    draw.Draw(p, box, QStringLiteral("100:00"), Qt::black);
    EXPECT_LT(draw.CurrentHeight(), chosen);
}

TEST_F(TextDrawTest, NothingForAnEmptyTextOrOneThatNeverFits)
{
    TCommonTextDraw draw(200);
    QPainter p(&image);
    draw.Draw(p, QRect(0, 0, 200, 100), QString(), Qt::black);
    EXPECT_FALSE(draw.HasFont());
    draw.Draw(p, QRect(0, 0, 6, 1), QStringLiteral("Слишком длинный текст"), Qt::black);
    EXPECT_FALSE(draw.HasFont());
    EXPECT_EQ(draw.CurrentHeight(), -1);
    p.end();
    EXPECT_EQ(CountPixels(image, Qt::white), image.width() * image.height());
}

} // namespace

namespace {

// A multigas pane: one channel with its sensor's serial number, small.
TEST(GraphPictureTest, MultigasPane)
{
    GraphWnd graph;
    graph.resize(200, 150);
    graph.SetPoints(Wave(300, {{25, 20.0f}}));
    graph.SetSerialText(QStringLiteral("7781"));
    graph.SetSeriesAndInterval({25, GraphWnd::kNoSeries, GraphWnd::kNoSeries, GraphWnd::kNoSeries}, 1000);
    EXPECT_EQ(graph.SeriesName(0), QStringLiteral("Канал 6 (SN:7781)"));
    EXPECT_EQ(graph.TimeAxis().labelCount, 0); // 194 pixels leave no room for one
    EXPECT_GT(CountPixels(graph.Surface(), GraphWnd::LineColour(0)), 100);

    const QString dir = QStringLiteral(KORVAN_TEST_ARTIFACT_DIR);
    ASSERT_TRUE(QDir().mkpath(dir));
    EXPECT_TRUE(graph.Surface().save(dir + "/graph-multigas-pane.png"));
}

} // namespace
