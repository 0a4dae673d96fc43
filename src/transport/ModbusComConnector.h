#pragma once

#include "ComConnector.h"

// The device line: 9600 baud, 8 data bits, no parity, one stop bit. Carries
// the detector's Modbus frames and the sensor's text commands; the multigas
// port uses one too.
class ModbusComConnector : public ComConnector {
public:
    static LineSettings Settings();
    bool Open(int portNumber);
};
