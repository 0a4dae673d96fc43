#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

struct CalibrationPollSettings;
struct MultigasChannelTexts;
struct SensorParameters;

// One cycle of the calibration polling loop: 32 values, each with its flag.
// The slot numbers are shared with the graph and the measurement file.
struct SensorCalibrationLoopMeasurementsPoint {
    static constexpr std::size_t kSlots = 32;

    static constexpr std::size_t kConcentration = 0;
    static constexpr std::size_t kAdc = 1;
    static constexpr std::size_t kSensorTemperature = 2;
    static constexpr std::size_t kHeaterTemperature = 3;
    static constexpr std::size_t kSensorResistance = 4;
    static constexpr std::size_t kPv1 = 5; // 5, 6, 7: the three voltages
    static constexpr std::size_t kHeaterResistance = 8;
    static constexpr std::size_t kPwm = 9;
    static constexpr std::size_t kHumidity = 10;
    static constexpr std::size_t kHeaterTemperatureCat = 11;
    static constexpr std::size_t kHeaterTemperaturePlt = 12;
    static constexpr std::size_t kHeaterResistanceCat = 13;
    static constexpr std::size_t kHeaterResistancePlt = 14;
    static constexpr std::size_t kPowerCat = 15;
    static constexpr std::size_t kPowerPlt = 16;
    static constexpr std::size_t kPowerDifference = 17;
    // 18 and 19 are never filled.
    static constexpr std::size_t kMultigas1 = 20; // 20 … 31: channels 1 to 12

    std::array<float, kSlots> values{};
    std::array<std::uint32_t, kSlots> valid{};

    // The point of the cycle just read: a slot is valid when its read was
    // selected and the field holds a value the sensor gave (for a multigas
    // channel: its value text is not empty). A value is the text's leading
    // decimal number, 0 when the text does not begin with one.
    static SensorCalibrationLoopMeasurementsPoint Build(const SensorParameters& parameters,
                                                        const MultigasChannelTexts& multigas,
                                                        const CalibrationPollSettings& settings);

    // The slots a cycle with these settings fills when the sensor answers
    // every read (the slots Build may mark valid).
    static std::array<bool, kSlots> SlotsRead(const CalibrationPollSettings& settings);

    // A point with no valid slot is not worth keeping.
    bool AnyValid() const;

    bool operator==(const SensorCalibrationLoopMeasurementsPoint&) const = default;
};
