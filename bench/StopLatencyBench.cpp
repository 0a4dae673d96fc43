// How long StopActivity() takes while the line is busy: during a read from a
// silent sensor (its tries and read cycles), during the HART address search
// on a silent loop, and during a journal block paced at 9600 baud. Each is
// run N times (default 50) against the simulator; the median and the maximum
// of the time from the call to its return are printed.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "Engine.h"
#include "Simulator.h"

namespace {

using Clock = std::chrono::steady_clock;

// Counts what the engine posts; the event steps are not needed here, the
// activities are ended by StopActivity.
class Counter : public IWindowPoster {
public:
    bool Post(WindowHandle, std::uint32_t message, std::uintptr_t, std::intptr_t) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        messages_.push_back(message);
        return true;
    }
    std::size_t Count(std::uint32_t id)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return static_cast<std::size_t>(std::count(messages_.begin(), messages_.end(), id));
    }

private:
    std::mutex mutex_;
    std::vector<std::uint32_t> messages_;
};

bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 60000)
{
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (Clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

double TimeStop(Engine& engine)
{
    const auto start = Clock::now();
    engine.StopActivity();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Report(const char* name, std::vector<double> ms)
{
    if (ms.empty()) {
        std::printf("%-28s no runs\n", name);
        return;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-28s runs %3zu  median %7.2f ms  max %7.2f ms\n", name, ms.size(), ms[ms.size() / 2], ms.back());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    BenchConfigHome home;
    Simulator::Options o;
    o.portsFolder = home.PortsFolder();
    o.devicePort = 1;
    o.hartPort = 2;
    o.scenarioText = "[journal]\nevent_capacity = 1000\nevent_first = 0\nevent_last = 900\n";
    o.pace = true;
    Simulator sim(o);
    sim.Start();

    Counter counter;
    Engine engine(&counter);
    constexpr WindowHandle kWindow{1};
    for (std::uint32_t id : {NotificationId::HartProgress, NotificationId::EventJournalData})
        engine.Register(kWindow, id);
    engine.modbusPort = 1;
    engine.hartPort = 2;
    engine.mode = Engine::kModeIdle;

    // A silent sensor: the poll's first read waits for an answer that does
    // not come; the stop comes at a different point of it each run.
    std::vector<double> silent;
    sim.SetSilent(Simulator::Line::Device, true);
    for (int i = 0; i < runs; ++i) {
        if (engine.SetSensorPolling(true) != 1)
            continue;
        std::this_thread::sleep_for(std::chrono::milliseconds(30 + (i * 37) % 400));
        silent.push_back(TimeStop(engine));
    }
    sim.SetSilent(Simulator::Line::Device, false);
    Report("silent read", silent);

    // The HART address search on a loop where nobody answers.
    std::vector<double> search;
    sim.SetSilent(Simulator::Line::Hart, true);
    for (int i = 0; i < runs; ++i) {
        const std::size_t before = counter.Count(NotificationId::HartProgress);
        if (engine.HartConnect() != 1)
            continue;
        if (!WaitUntil([&] { return counter.Count(NotificationId::HartProgress) > before; }))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20 + (i * 53) % 600));
        search.push_back(TimeStop(engine));
    }
    sim.SetSilent(Simulator::Line::Hart, false);
    Report("HART address search", search);

    // A journal block on its way at 9600 baud (15 records take about a
    // quarter of a second).
    std::vector<double> journal;
    for (int i = 0; i < runs; ++i) {
        const std::size_t before = counter.Count(NotificationId::EventJournalData);
        if (engine.ReadEventJournal() != 1)
            continue;
        if (!WaitUntil([&] { return counter.Count(NotificationId::EventJournalData) >= before + 2; }))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds((i * 29) % 200));
        journal.push_back(TimeStop(engine));
    }
    Report("journal block", journal);

    sim.Stop();
    return 0;
}
