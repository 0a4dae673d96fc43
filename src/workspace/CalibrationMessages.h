#pragma once

#include <cstdint>

// The calibration page's own window messages: what its panels, dialogs and
// windows post to it (the page hands each child its number when it creates
// it).
namespace CalibrationMessages {

// wParam bit 0: the read selection changed (apply the poll settings again);
// bit 1: the graph selection changed (choose the graph series again).
inline constexpr std::uint32_t WM_CALIB_MORE_CHANGED = 1124;
inline constexpr std::uintptr_t kMoreReadChanged = 1;
inline constexpr std::uintptr_t kMoreGraphChanged = 2;
// A calibration panel's request ended or was refused.
inline constexpr std::uint32_t WM_CALIB_PANEL_DONE = 1125;
// The measurement-log panel takes the line for itself.
inline constexpr std::uint32_t WM_CALIB_LOG_TAKES_LINE = 1126;
inline constexpr std::uint32_t WM_CALIB_SHOW_LOG_GRAPH = 1127;
// The multigas graph window was closed by its close box.
inline constexpr std::uint32_t WM_CALIB_MULTIGAS_CLOSED = 1128;
// The multigas channel dialog selected another channel.
inline constexpr std::uint32_t WM_CALIB_CHANNEL_CHANGED = 1129;

} // namespace CalibrationMessages
