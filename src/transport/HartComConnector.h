#pragma once

#include "ComConnector.h"

// The HART modem line: 1200 baud, 8 data bits, odd parity, one stop bit.
class HartComConnector : public ComConnector {
public:
    static LineSettings Settings();
    bool Open(int portNumber);
};
