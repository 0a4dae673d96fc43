#pragma once

// What wine-sim.ini puts at the far end of the lines, as these tests expect
// it, and the COM numbers detector-sim serves it on. scripts/test-windows.sh
// starts the simulator with that file inside the Wine prefix and names the
// ports in the environment; the values here and in the file go together.

#include <cstdint>
#include <cstdlib>
#include <string>

#include <windows.h>


namespace wine_sim {

// [detector]
constexpr std::uint8_t kModbusId = 7;
constexpr std::uint8_t kHartAddress = 5;
inline const std::string kSensorType = "Elchem";
inline const std::string kSerialNumber = "24-0817";
inline const std::string kSensorCalibrationDate = "14.08.2025";
inline const std::string kSensorAnalyte = "CO";      // the kind's own
inline const std::string kV1 = "0.395";
inline const std::string kSoftwareId = "KSD-FW,1.07,B41E77";
inline const std::string kDeviceAnalyte = "CO";
// "мг/м3" in the device's code page, windows-1251.
inline const std::string kUnits = "\xEC\xE3/\xEC" "3";
inline const std::string kDeviceText8 = "KSD-4W";
constexpr std::uint16_t kCalibrationDay = 14;
constexpr std::uint16_t kCalibrationMonth = 8;
constexpr std::uint16_t kCalibrationYear = 2025;
constexpr std::uint32_t kClockAtStart = 1735732800;   // 2025-01-01 12:00:00 UTC
constexpr double kThreshold1 = 15.5;
constexpr double kThreshold2 = 31.25;
constexpr std::uint8_t kSoundMode = 2;
constexpr std::uint8_t kO2Flag = 1;
constexpr std::uint8_t kEcoMode = 1;
inline const std::string kCalibrationPassword = "680429";
inline const std::string kManufacturerPassword = "47093518";

// [journal]: the event ring is full and wraps, so every slot but one holds
// a record.
constexpr std::uint16_t kEventFirst = 12;
constexpr std::uint16_t kEventLast = 11;
constexpr std::uint16_t kEventCapacity = 45;
constexpr std::uint32_t kEventRecords = 44;
constexpr std::uint16_t kThresholdFirst = 0;
constexpr std::uint16_t kThresholdLast = 18;
constexpr std::uint16_t kThresholdCapacity = 30;

// [multigas]: the first channel's name in each of the two sets.
inline const std::string kSet1FirstChannel = "CH4";
inline const std::string kSet2FirstChannel = "NH3";

// [hart]
constexpr std::uint16_t kExpandedDeviceType = 0x2A51;
constexpr std::uint32_t kDeviceId = 0x0A1B2C;
inline const std::string kUniqueIdText = "#2A510A1B2C";
// Packed ASCII comes back padded with blanks to its field width.
inline const std::string kTag = "GD-WINE ";
inline const std::string kDescriptor = "BOILER ROOM 7   ";
constexpr std::uint8_t kDay = 3;
constexpr std::uint8_t kMonth = 2;
constexpr std::uint16_t kYear = 2025;
inline const std::string kDateText = "03.02.2025";

// The COM number in `variable`, or 0 when it names none.
inline int Port(const char* variable)
{
    const char* value = std::getenv(variable);
    return value != nullptr ? std::atoi(value) : 0;
}

inline int DevicePort() { return Port("KORVAN_SIM_DEVICE_COM"); }
inline int HartPort() { return Port("KORVAN_SIM_HART_COM"); }
inline int MultigasPort() { return Port("KORVAN_SIM_MULTIGAS_COM"); }

inline const char* kNoPorts =
    "KORVAN_SIM_DEVICE_COM, KORVAN_SIM_HART_COM and KORVAN_SIM_MULTIGAS_COM name no COM ports with the simulated "
    "detector behind them; scripts/test-windows.sh starts detector-sim with tests/windows/wine-sim.ini and sets them";

inline bool PortsNamed()
{
    return DevicePort() > 0 && HartPort() > 0 && MultigasPort() > 0;
}

} // namespace wine_sim
