#include "SensorCalibrationLoopMeasurementsPoint.h"

#include <string>

#include "CalibrationPollSettings.h"
#include "MultigasChannelTexts.h"
#include "SensorParameters.h"
#include "TextNumbers.h"

namespace {

using Point = SensorCalibrationLoopMeasurementsPoint;

void Put(Point& point, std::size_t slot, std::int32_t selected, std::uint32_t sourceValid, const std::string& text)
{
    if (selected == 0 || sourceValid != 1)
        return;
    point.values[slot] = static_cast<float>(ParseDecimalReal(text));
    point.valid[slot] = 1;
}

} // namespace

SensorCalibrationLoopMeasurementsPoint SensorCalibrationLoopMeasurementsPoint::Build(
    const SensorParameters& p, const MultigasChannelTexts& multigas, const CalibrationPollSettings& s)
{
    // Which read fills which slot is SlotsRead's alone; here, where each
    // slot's value comes from.
    const std::array<bool, kSlots> read = SlotsRead(s);
    Point point;
    auto put = [&](std::size_t slot, std::uint32_t sourceValid, const std::string& text) {
        Put(point, slot, read[slot] ? 1 : 0, sourceValid, text);
    };
    put(kConcentration, p.concentration.valid, p.concentration.values[0]);
    put(kAdc, p.adc.valid, p.adc.text);
    put(kSensorTemperature, p.sensorTemperature.valid, p.sensorTemperature.values[0]);
    put(kHeaterTemperature, p.thReading.valid, p.thReading.values[0]);
    put(kSensorResistance, p.rpReading.valid, p.rpReading.values[0]);
    for (std::size_t i = 0; i < 3; ++i)
        put(kPv1 + i, p.pvValues.valid, p.pvValues.texts[i]);
    put(kHeaterResistance, p.rhReading.valid, p.rhReading.values[0]);
    put(kPwm, p.pw.valid, p.pw.text);
    put(kHumidity, p.shReading.valid, p.shReading.values[0]);
    put(kHeaterTemperatureCat, p.thReading.valid, p.thReading.values[0]);
    put(kHeaterTemperaturePlt, p.thReading.valid, p.thReading.values[1]);
    put(kHeaterResistanceCat, p.rhReading.valid, p.rhReading.values[0]);
    put(kHeaterResistancePlt, p.rhReading.valid, p.rhReading.values[1]);
    for (std::size_t i = 0; i < 3; ++i)
        put(kPowerCat + i, p.dwReading.valid, p.dwReading.values[i]);
    for (std::size_t ch = 0; ch < MultigasChannelTexts::kChannels; ++ch) {
        const std::string& text = multigas.values[ch];
        put(kMultigas1 + ch, text.empty() ? 0u : 1u, text);
    }
    return point;
}

std::array<bool, SensorCalibrationLoopMeasurementsPoint::kSlots>
SensorCalibrationLoopMeasurementsPoint::SlotsRead(const CalibrationPollSettings& s)
{
    std::array<bool, kSlots> slots{};
    auto mark = [&slots](std::int32_t selected, std::size_t first, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            slots[first + i] = slots[first + i] || selected != 0;
    };
    mark(s.readConcentration, kConcentration, 1);
    mark(s.readAdc, kAdc, 1);
    mark(s.readSensorTemperature, kSensorTemperature, 1);
    mark(s.readTh, kHeaterTemperature, 1);
    mark(s.readRp, kSensorResistance, 1);
    mark(s.readPv, kPv1, 3);
    mark(s.readRh, kHeaterResistance, 1);
    mark(s.readPw, kPwm, 1);
    mark(s.readSh, kHumidity, 1);
    mark(s.readTh2, kHeaterTemperatureCat, 2);
    mark(s.readRh2, kHeaterResistanceCat, 2);
    mark(s.readDw, kPowerCat, 3);
    mark(s.readMultigas, kMultigas1, MultigasChannelTexts::kChannels);
    return slots;
}

bool SensorCalibrationLoopMeasurementsPoint::AnyValid() const
{
    for (auto flag : valid) {
        if (flag != 0)
            return true;
    }
    return false;
}
