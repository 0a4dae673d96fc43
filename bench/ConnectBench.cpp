// Connect() until the engine monitors (mode 3), against the simulator paced
// at 9600 baud on the device line and 1200 baud on the HART line. The floor is
// what the lines impose on the exchanges made inside that interval, taken
// from the simulator's record one exchange at a time: the masters' mandated
// sleeps and the arrival of the answer (the simulator's answer delay, then the
// wire time of the answer bytes it paces; requests reach it unpaced) overlap,
// so each exchange counts the longer of the two, and on HART every read cycle
// the answer's arrival forces costs its 300 ms sleep (ExchangeFloorSeconds).
// The exchanges of the monitoring that follows are not counted.
#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>
#include <cstdio>
#include <thread>

#include "BenchSupport.h"
#include "Engine.h"
#include "Simulator.h"

namespace {

// The main window's part: run the event steps on 4124 and 4025.
class Pump : public IWindowPoster {
public:
    bool Post(WindowHandle, std::uint32_t message, std::uintptr_t, std::intptr_t) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(message);
        return true;
    }
    bool Next(std::uint32_t& message)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (queue_.empty())
            return false;
        message = queue_.front();
        queue_.erase(queue_.begin());
        return true;
    }

private:
    std::mutex mutex_;
    std::vector<std::uint32_t> queue_;
};

} // namespace

int main(int argc, char** argv)
{
    const unsigned answerDelayMs = argc > 1 ? static_cast<unsigned>(std::atoi(argv[1])) : 0;
    BenchConfigHome home;
    Simulator::Options o;
    o.portsFolder = home.PortsFolder();
    o.devicePort = 1;
    o.hartPort = 2;
    o.scenarioText = "[detector]\nhart_address = 3\n";
    o.pace = true;
    o.answerDelayMs = answerDelayMs;
    // The second argument keeps the simulator's record of the run there.
    o.recordFile = argc > 2 ? argv[2] : home.PortsFolder() + "/record.txt";
    Simulator sim(o);
    sim.Start();

    Pump pump;
    Engine engine(&pump);
    engine.Register(WindowHandle(1), NotificationId::LineTaskEvent);
    engine.Register(WindowHandle(1), NotificationId::HartEvent);
    engine.modbusPort = 1;
    engine.hartPort = 2;
    engine.mode = Engine::kModeIdle;

    const auto start = std::chrono::steady_clock::now();
    const auto wallStart = std::chrono::system_clock::now();
    if (engine.Connect() != 1) {
        std::fprintf(stderr, "Connect() refused\n");
        return 1;
    }
    // The interval ends where the event step that reaches mode 3 begins:
    // that step already starts the monitoring, whose exchanges are not
    // Connect()'s.
    double seconds = 0;
    auto wallEnd = std::chrono::system_clock::now();
    while (engine.mode != Engine::kModeConnected && SecondsSince(start) < 300) {
        std::uint32_t m = 0;
        while (engine.mode != Engine::kModeConnected && pump.Next(m)) {
            seconds = SecondsSince(start);
            wallEnd = std::chrono::system_clock::now();
            if (m == NotificationId::LineTaskEvent)
                engine.OnLineWorkerEvent();
            else if (m == NotificationId::HartEvent)
                engine.OnHartWorkerEvent();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (engine.mode != Engine::kModeConnected) {
        std::fprintf(stderr, "the engine did not reach mode 3\n");
        return 1;
    }
    const PtyLine::Options lineOptions = sim.DeviceLine()->LineOptions();
    const PtyLine::Options hartOptions = sim.HartPtyLine()->LineOptions();
    engine.StopActivity();
    sim.Stop();   // the record is complete

    // The record stamps with whole milliseconds: an exchange counts when its
    // request came inside the timed interval. No exchange of Connect() starts
    // in the millisecond its last event step begins (each takes 50 ms or more).
    const auto startMs = std::chrono::floor<std::chrono::milliseconds>(wallStart);
    const auto endMs = std::chrono::floor<std::chrono::milliseconds>(wallEnd);
    auto inside = [&](const RecordedExchange& e) { return e.requestAt >= startMs && e.requestAt < endMs; };
    std::size_t lineExchanges = 0, hartExchanges = 0, silent = 0;
    double lineFloor = 0, hartFloor = 0;
    for (const RecordedExchange& e : ReadRecord(o.recordFile, "device")) {
        if (!inside(e))
            continue;
        ++lineExchanges;
        silent += e.answerBytes == 0 ? 1 : 0;
        lineFloor += ExchangeFloorSeconds(e, lineOptions, answerDelayMs, kDeviceLineWaits);
    }
    for (const RecordedExchange& e : ReadRecord(o.recordFile, "hart")) {
        if (!inside(e))
            continue;
        ++hartExchanges;
        silent += e.answerBytes == 0 ? 1 : 0;
        hartFloor += ExchangeFloorSeconds(e, hartOptions, answerDelayMs, kHartWaits);
    }
    // The two lines work one after the other during Connect(): the HART
    // search starts when the line task has ended.
    const double floor = lineFloor + hartFloor;
    std::printf("connect: %.2f s; %zu line exchanges (floor %.2f s), %zu HART exchanges (floor %.2f s), "
                "%zu silent; answer delay %u ms; floor %.2f s; measured/floor %.3f\n",
                seconds, lineExchanges, lineFloor, hartExchanges, hartFloor, silent, answerDelayMs, floor,
                seconds / floor);
    return 0;
}
