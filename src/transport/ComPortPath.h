#pragma once

#include <string>

// Where COM port number n leads on this machine.
//
// On Linux: the link "comN" in the per-user port folder
// ($XDG_CONFIG_HOME/Korvan/ports, ~/.config/Korvan/ports when the variable
// is unset) when it exists, else /dev/ttyS(n-1).
// On Windows: the device path \\.\COMn, so that numbers above 9 work.
std::string ComPortPath(int portNumber);

// The per-user port folder (Linux); empty on Windows.
std::string ComPortFolder();

// True when ComPortPath(portNumber) comes from a link in the port folder.
bool ComPortIsLinked(int portNumber);

// Whether the device behind a path ComPortPath gave is there now: false once
// a USB adapter was pulled (its device node, or the link's target, is gone).
bool ComPathPresent(const std::string& path);

// The device the port leads to, as the engineer knows it: the target of the
// program's link or the system device (/dev/ttyUSB0, /dev/pts/3) on Linux,
// "COMn" on Windows; empty when there is none now.
std::string ComPortTarget(int portNumber);
