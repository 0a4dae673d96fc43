#pragma once

#include <string>
#include <vector>

// What the connection dialog offers beside the port numbers: the serial
// ports this machine has, and (on Linux) the COM numbers linked in the port
// folder. Only hints: the settings keep port numbers.
namespace SerialPortHints {

struct PortLink {
    int number = 0;     // COM number
    std::string target; // where the link leads, as written in it
};

// Device names of the serial ports found (on Linux /dev/ttyUSB*, /dev/ttyACM*
// and the /dev/ttyS* that a driver other than the legacy one stands behind;
// on Windows the COM names the system lists), sorted.
std::vector<std::string> FoundPorts();

// The comN links of the port folder, by number; empty on Windows.
std::vector<PortLink> PortLinks();

// Where COM `number` leads now, for the line beside its field: the device
// path and whether it exists.
struct PortTarget {
    std::string path;
    bool linked = false;
    bool exists = false;
};
PortTarget TargetOf(int number);

} // namespace SerialPortHints
