#pragma once

#include <cstdint>

// The key-forward message: the application passes Esc, F1 and F2 to the
// main window, which hands them to the page that is shown. wParam carries
// the key as the virtual-key number the pages compare with.
namespace ForwardKey {

inline constexpr std::uint32_t WM_FORWARD_KEY = 1124;

inline constexpr int kEscape = 0x1B;
inline constexpr int kF1 = 0x70;
inline constexpr int kF2 = 0x71;

// The virtual key of a Qt key code, 0 for a key that is not forwarded.
constexpr int FromQtKey(int qtKey)
{
    switch (qtKey) {
    case 0x01000000: return kEscape; // Qt::Key_Escape
    case 0x01000030: return kF1;     // Qt::Key_F1
    case 0x01000031: return kF2;     // Qt::Key_F2
    default: return 0;
    }
}

} // namespace ForwardKey
