// Connect() until the engine monitors (mode 3), against the simulator paced
// at 9600 baud on the device line and 1200 baud on the HART line. The floor is
// what the lines impose on the exchanges made: the masters' mandated sleep
// before the first read of each exchange (50 ms on the device line, 300 ms on
// HART), the wire time of every byte both ways, and the simulator's answer
// delay.
#include <algorithm>
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
    if (engine.Connect() != 1) {
        std::fprintf(stderr, "Connect() refused\n");
        return 1;
    }
    while (engine.mode != Engine::kModeConnected && SecondsSince(start) < 300) {
        std::uint32_t m = 0;
        while (pump.Next(m)) {
            if (m == NotificationId::LineTaskEvent)
                engine.OnLineWorkerEvent();
            else if (m == NotificationId::HartEvent)
                engine.OnHartWorkerEvent();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const double seconds = SecondsSince(start);
    if (engine.mode != Engine::kModeConnected) {
        std::fprintf(stderr, "the engine did not reach mode 3\n");
        return 1;
    }
    // Counted before monitoring adds more traffic.
    const std::size_t lineExchanges = sim.Detector().Received().Size();
    const std::size_t hartExchanges = sim.Hart().ReceivedFrames().size();
    const PtyLine& line = *sim.DeviceLine();
    const PtyLine& hart = *sim.HartPtyLine();
    const double lineWire = WireSeconds(line);
    const double hartWire = WireSeconds(hart);
    engine.StopActivity();

    const double lineSleeps = lineExchanges * 0.050;
    const double hartSleeps = hartExchanges * 0.300;
    const double lineDelays = lineExchanges * answerDelayMs / 1000.0;
    const double hartDelays = hartExchanges * answerDelayMs / 1000.0;
    // Sleeps, wire time and delays added up, exchange by exchange.
    const double floor = lineSleeps + hartSleeps + lineWire + hartWire + lineDelays + hartDelays;
    // The master's sleep runs while the answer is on its way: the line
    // cannot be faster than the request, then the longer of the sleep and
    // the answer's delay and wire time.
    const double tight = RequestWireSeconds(line) + std::max(lineSleeps, lineDelays + AnswerWireSeconds(line)) +
                         RequestWireSeconds(hart) + std::max(hartSleeps, hartDelays + AnswerWireSeconds(hart));
    std::printf("connect: %.2f s; %zu line exchanges (wire %.2f s), %zu HART exchanges (wire %.2f s); "
                "sleeps %.2f s, answer delays %.2f s; summed floor %.2f s, ratio %.2f; "
                "overlapped floor %.2f s, ratio %.2f\n",
                seconds, lineExchanges, lineWire, hartExchanges, hartWire, lineSleeps + hartSleeps,
                lineDelays + hartDelays, floor, seconds / floor, tight, seconds / tight);
    return 0;
}
