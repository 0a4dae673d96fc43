// Time of one graph refresh (scaling, time axis and the off-screen drawing),
// offscreen: the calibration page's graph (64 points), the log graph (1000
// points) at 800×600 with four series each, and the multigas window's twelve
// 200×150 panes of 300 points. Prints the median per refresh: with new
// points on a steady scale (the usual poll), and with the scale changing on
// every refresh (the labels drawn anew each time).
#include <QApplication>

#include <array>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "GraphWnd.h"

namespace {

using Point = GraphWnd::Point;
using Clock = std::chrono::steady_clock;

std::vector<Point> Points(std::size_t count, const std::vector<int>& slotList)
{
    std::vector<Point> points(count);
    for (std::size_t j = 0; j < count; ++j) {
        for (int slot : slotList) {
            const auto s = static_cast<std::size_t>(slot);
            const float level = 10.0f + static_cast<float>(slot) * 100.0f;
            points[j].values[s] = level * (1.0f + 0.3f * std::sin(static_cast<float>(j) * 0.05f + static_cast<float>(slot)));
            // An occasional failed read breaks the line, as on a real poll.
            points[j].valid[s] = (j + static_cast<std::size_t>(slot)) % 97 == 0 ? 0 : 1;
        }
    }
    return points;
}

double MedianMs(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// One graph under test: its window and, per run, the points it is given.
struct Subject {
    std::unique_ptr<GraphWnd> graph;
    std::vector<Point> stream;
    std::size_t count = 0;
};

// Median milliseconds of `runs` refreshes of all the subjects together.
// Every refresh gets new points, as on a poll: the window slides one point
// along the stream; with `rescale` every other refresh also multiplies the
// values by ten, so the scale and its labels change each time.
double Measure(std::vector<Subject>& subjects, int runs, bool rescale)
{
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(runs));
    for (int r = 0; r < runs; ++r) {
        std::vector<std::vector<Point>> inputs;
        for (auto& s : subjects) {
            const auto first = s.stream.begin() + r;
            std::vector<Point> points(first, first + static_cast<std::ptrdiff_t>(s.count));
            if (rescale && r % 2 == 1)
                for (auto& p : points)
                    for (auto& v : p.values)
                        v *= 10;
            inputs.push_back(std::move(points));
        }
        const auto start = Clock::now();
        for (std::size_t i = 0; i < subjects.size(); ++i) {
            subjects[i].graph->SetPoints(std::move(inputs[i]));
            subjects[i].graph->Refresh();
        }
        samples.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return MedianMs(samples);
}

Subject MakeSubject(QSize size, std::size_t count, const std::array<int, 4>& series, int intervalMs, int runs,
                    int serial)
{
    Subject s;
    s.graph = std::make_unique<GraphWnd>();
    s.graph->resize(size);
    std::vector<int> slotList;
    for (int slot : series)
        if (slot >= 0)
            slotList.push_back(slot);
    s.count = count;
    s.stream = Points(count + static_cast<std::size_t>(runs), slotList);
    s.graph->SetSerialText(QStringLiteral("SN%1").arg(serial));
    s.graph->SetSeriesAndInterval(series, intervalMs);
    return s;
}

void Report(const char* name, const char* goal, int runs, const std::function<std::vector<Subject>()>& make)
{
    auto steady = make();
    const double slide = Measure(steady, runs, false);
    auto changing = make();
    const double rescaled = Measure(changing, runs, true);
    std::printf("  %-50s %7.3f ms   (scale changing every refresh: %7.3f ms)%s\n", name, slide, rescaled, goal);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;

    std::printf("graph refresh, median of %d runs (offscreen)\n", runs);
    Report("calibration page: 800x600, 4 series x 64 points", "", runs, [&] {
        std::vector<Subject> v;
        v.push_back(MakeSubject({800, 600}, 64, {0, 2, 3, 4}, -1, runs, 1));
        return v;
    });
    Report("log graph: 800x600, 4 series x 1000 points", "  goal <= 1 ms", runs, [&] {
        std::vector<Subject> v;
        v.push_back(MakeSubject({800, 600}, 1000, {0, 2, 3, 4}, 500, runs, 1));
        return v;
    });
    Report("multigas: 12 panes 200x150 x 300 points", "  goal <= 5 ms", runs, [&] {
        std::vector<Subject> v;
        for (int c = 0; c < 12; ++c)
            v.push_back(MakeSubject({200, 150}, 300, {20 + c, -1, -1, -1}, 1000, runs, c + 1));
        return v;
    });
    return 0;
}
