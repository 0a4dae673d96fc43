#pragma once

#include <chrono>
#include <string>

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
