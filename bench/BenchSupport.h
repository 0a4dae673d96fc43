#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "PtyLine.h"

// A private per-user config folder for one run: the simulator links its
// ports there, and XDG_CONFIG_HOME points at it while the object lives.
class BenchConfigHome {
public:
    BenchConfigHome();
    ~BenchConfigHome();
    BenchConfigHome(const BenchConfigHome&) = delete;
    BenchConfigHome& operator=(const BenchConfigHome&) = delete;
    std::string PortsFolder() const { return path_ + "/Korvan/ports"; }

private:
    std::string path_;
};

// Seconds the bytes that crossed a line need on the wire at its rate: both
// ways, what the program sent, what the device answered.
double WireSeconds(const PtyLine& line);
double RequestWireSeconds(const PtyLine& line);
double AnswerWireSeconds(const PtyLine& line);

double SecondsSince(std::chrono::steady_clock::time_point start);

// One request on a line and the device's answer, from the simulator's record
// (Simulator::Options::recordFile).
struct RecordedExchange {
    std::string line;                                // "device", "hart", "multigas"
    std::chrono::system_clock::time_point requestAt; // millisecond resolution
    std::size_t answerBytes = 0;                     // 0: silence
};
std::vector<RecordedExchange> ReadRecord(const std::string& path, const std::string& line);

// What a master's fixed waits are on one line: the sleep before every read
// cycle, the read cycles of one try, the sleep after a try that got nothing,
// and whether a read runs on while the answer's bytes keep coming (the device
// line at 9600 baud) or returns at the first gap so that every further piece
// costs another cycle (HART at 1200 baud, a byte every 9 ms).
struct MasterWaits {
    double cycleSleepS;
    int cycles;
    double retrySleepS;
    bool readRunsOn;
};
inline constexpr MasterWaits kDeviceLineWaits{0.050, 5, 0.300, true};
inline constexpr MasterWaits kHartWaits{0.300, 10, 1.000, false};

// The least time one exchange can take: the master's mandated sleeps and the
// answer's arrival (the simulator's answer delay, then the wire time of the
// answer it paces; the request goes to the pseudo-terminal unpaced) overlap,
// so each exchange costs the longer of the two, the sleeps counted as the
// read cycles the arrival forces. A silent try costs all its cycles' sleeps
// and the sleep after it.
double ExchangeFloorSeconds(const RecordedExchange& e, const PtyLine::Options& line, unsigned answerDelayMs,
                            const MasterWaits& waits);
