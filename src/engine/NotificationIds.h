#pragma once

#include <cstdint>

// The engine's notifications. Each travels as the window message of the same
// number, and the windows dispatch on these numbers.
namespace NotificationId {

// wParam the old mode, lParam the new mode.
inline constexpr std::uint32_t ModeChanged = 4024;

// HART worker.
inline constexpr std::uint32_t HartEvent = 4025;
inline constexpr std::uint32_t HartDataChanged = 4026;
inline constexpr std::uint32_t HartUnused = 4027; // its operation is never called
inline constexpr std::uint32_t HartProgress = 4028; // lParam an 8-bit value
// The modem line under HART polling was lost, is waited for under another
// cause, or came back (Engine::CopyHartLink).
inline constexpr std::uint32_t HartLinkChanged = 4029;

// Line worker, in the order of its notification operations.
inline constexpr std::uint32_t LineTaskEvent = 4124;
inline constexpr std::uint32_t SensorParametersChanged = 4125;
inline constexpr std::uint32_t DeviceParametersChanged = 4126;
inline constexpr std::uint32_t LineUnused = 4127; // no task raises it
inline constexpr std::uint32_t EventJournalStatus = 4128;
inline constexpr std::uint32_t EventJournalData = 4129;
inline constexpr std::uint32_t ThresholdJournalStatus = 4130;
inline constexpr std::uint32_t ThresholdJournalData = 4131;
inline constexpr std::uint32_t MeasurementsChanged = 4132;
inline constexpr std::uint32_t SensorLogChanged = 4133;   // wParam the number of records
inline constexpr std::uint32_t TerminalLogChanged = 4134; // wParam the number of records
// The measurement file could not be opened, or the disk refused a line (the
// loop goes on; SensorModbusInterface::CopyMeasurementFileStatus says what
// happened). Raised when the file fails to open and at the first lost line.
inline constexpr std::uint32_t MeasurementFileFailed = 4135;
// A calibration point queued for the cyclic loop was not sent: the loop ended
// or left cyclic mode first (CopyCalibrationNotSent holds the point).
inline constexpr std::uint32_t CalibrationNotSent = 4136;
// The device line under a poll (device, sensor or calibration polling, the
// connected monitoring) was lost, is waited for under another cause, or came
// back (Engine::CopyLineLink says which, with the text for the page).
inline constexpr std::uint32_t LineLinkChanged = 4137;

} // namespace NotificationId
