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
