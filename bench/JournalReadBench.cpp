// Reads a full event journal of 1000 records from the simulated detector,
// paced at 9600 baud, and compares the time taken with the floor of the
// exchanges made, taken from the simulator's record one exchange at a time:
// the 50 ms sleep before the first read and the paced answer overlap, so each
// exchange counts the longer of the two (ExchangeFloorSeconds); the requests
// reach the simulator unpaced and cost nothing.
#include <cstdio>
#include <thread>

#include "BenchSupport.h"
#include "SensorModbusInterface.h"
#include "Simulator.h"

namespace {

class Reader : public SensorModbusInterface {
public:
    void NotifyTaskEvent() override { done_ = true; }
    bool Done() const { return done_.load(); }

private:
    std::atomic<bool> done_{false};
};

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 1;
    for (int run = 0; run < runs; ++run) {
        BenchConfigHome home;
        Simulator::Options o;
        o.portsFolder = home.PortsFolder();
        o.devicePort = 1;
        // 1001 slots, first 1, last 0: 1000 records, every slot but one.
        o.scenarioText = "[journal]\nevent_capacity = 1001\nevent_first = 1\nevent_last = 0\n";
        o.pace = true;
        o.recordFile = home.PortsFolder() + "/record.txt";
        Simulator sim(o);
        sim.Start();

        Reader reader;
        if (!reader.Open(1, true)) {
            std::fprintf(stderr, "cannot open the simulated line\n");
            return 1;
        }
        const auto start = std::chrono::steady_clock::now();
        reader.StartJournalRead(SensorModbusInterface::Journal::Event);
        while (!reader.Done())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const double seconds = SecondsSince(start);
        reader.StopThread();

        JournalReadStatus status{};
        std::uint32_t read = 0, expected = 0;
        reader.JournalProgress(SensorModbusInterface::Journal::Event, status, read, expected);
        const PtyLine::Options lineOptions = sim.DeviceLine()->LineOptions();
        reader.Close();
        sim.Stop();   // the record is complete
        // Every exchange of the task lies inside the timed interval.
        double floor = 0;
        std::size_t exchanges = 0;
        for (const RecordedExchange& e : ReadRecord(o.recordFile, "device")) {
            floor += ExchangeFloorSeconds(e, lineOptions, 0, kDeviceLineWaits);
            ++exchanges;
        }
        std::printf("journal: %u of %u records in %.2f s, %.0f records/s; %zu exchanges, floor %.2f s; "
                    "measured/floor %.3f\n",
                    read, expected, seconds, read / seconds, exchanges, floor, seconds / floor);
        if (status != JournalReadStatus::Finished || read != 1000)
            return 1;
    }
    return 0;
}
