#pragma once

#include <cstdint>
#include <string>

// What the calibration polling loop measures, how often, whether it heats
// the sensor cyclically, and whether it writes every point to a file.
struct CalibrationPollSettings {
    std::int32_t cyclic = 0;            // heater on, wait, measure, heater off
    std::int32_t cyclePeriodMs = 10000; // period in cyclic mode
    std::int32_t heatingTimeMs = 2000;  // wait after the heater is on
    std::int32_t pollPeriodMs = 500;    // period otherwise

    // The reads of one cycle, in the order the loop runs them.
    std::int32_t readConcentration = 0;     // "@RRDT"
    std::int32_t readAdc = 0;               // "@RRDV"
    std::int32_t readSensorTemperature = 0; // "@RRST"
    std::int32_t readTh = 0;                // "@RRTH", one value
    std::int32_t readRp = 0;                // "@RRRP"
    std::int32_t readPv = 0;                // "@RRPV"
    std::int32_t readRh = 0;                // "@RRRH", one value
    std::int32_t readPw = 0;                // "@RRPW"
    std::int32_t readSh = 0;                // "@RRSH"
    std::int32_t readTh2 = 0;               // "@RRTH", two values
    std::int32_t readRh2 = 0;               // "@RRRH", two values
    std::int32_t readDw = 0;                // "@RRDW"
    std::int32_t readMultigas = 0;          // "@MRDF"

    // The loop ends by itself once it has kept this many points (each also in
    // the file when it writes one); 0: it runs until it is stopped.
    std::int32_t maxPoints = 0;

    std::int32_t toFile = 0;
    std::string filePath; // UTF-8, as the user chose it

    // Any read flag set. Cyclic heating alone selects nothing to measure.
    bool AnythingSelected() const
    {
        return readConcentration != 0 || readAdc != 0 || readSensorTemperature != 0 || readTh != 0 ||
               readRp != 0 || readPv != 0 || readRh != 0 || readPw != 0 || readSh != 0 || readTh2 != 0 ||
               readRh2 != 0 || readDw != 0 || readMultigas != 0;
    }

    bool operator==(const CalibrationPollSettings&) const = default;
};
