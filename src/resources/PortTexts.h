#pragma once

#include <QString>

// Texts about a COM port that name the device the port number reaches.
namespace PortTexts {

// The device COM `portNumber` reaches, links resolved (/dev/ttyUSB0 rather
// than the comN link that leads there); the path as configured when it
// cannot be resolved.
QString DevicePath(int portNumber);

// A port the user has no rights to: which device and what to do about it.
QString PermissionDenied(int portNumber);

} // namespace PortTexts
