#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "DateSlot.h"
#include "TextSlot.h"
#include "ValueSlot.h"

// The detector's own values, read from its input registers at the slave
// address `modbusId`, and its software identification from the sensor line.
struct DeviceParameters {
    // Positions in `journalIndices`, in register order 0x3FF0 … 0x3FF5.
    static constexpr std::size_t kEventFirst = 0;
    static constexpr std::size_t kEventLast = 1;
    static constexpr std::size_t kThresholdFirst = 2;
    static constexpr std::size_t kThresholdLast = 3;
    static constexpr std::size_t kEventCapacity = 4;
    static constexpr std::size_t kThresholdCapacity = 5;

    ValueSlot<std::uint32_t> deviceClock;   // seconds since 1970-01-01 UTC
    TextSlot deviceText8;                   // up to 8 characters
    ValueSlot<float> deviceConcentration;
    float threshold1 = 0.0f;
    float threshold2 = 0.0f;
    std::uint8_t soundMode = 0;
    std::uint8_t o2Flag = 0;
    std::array<std::uint8_t, 2> thresholdSpare{};
    std::uint32_t thresholdsValid = 0;      // shared by the four values above
    std::uint8_t ecoMode = 0;
    std::array<std::uint8_t, 3> ecoSpare{};
    std::uint32_t ecoModeValid = 0;
    ValueSlot<std::array<std::uint16_t, 6>> journalIndices;
    TextSlot deviceAnalyteCode;             // up to 16 characters
    TextSlot deviceUnits;                   // up to 8 characters
    DateSlot deviceCalibrationDate;
    TextSlot softwareIdentification;        // "@RDSF": name, number, identifier

    // Texts emptied and flags cleared; the numbers stay, as they mean
    // nothing while their flags are 0.
    void Reset()
    {
        deviceClock.Invalidate();
        deviceText8.Clear();
        deviceConcentration.Invalidate();
        thresholdsValid = 0;
        ecoModeValid = 0;
        journalIndices.Invalidate();
        deviceAnalyteCode.Clear();
        deviceUnits.Clear();
        deviceCalibrationDate.Invalidate();
        softwareIdentification.Clear();
    }

    bool operator==(const DeviceParameters&) const = default;
};
