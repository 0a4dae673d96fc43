#include "ModbusComConnector.h"

LineSettings ModbusComConnector::Settings()
{
    LineSettings s;
    s.baudRate = 9600;
    s.dataBits = 8;
    s.parity = LineSettings::Parity::None;
    s.stopBits = 1;
    return s;
}

bool ModbusComConnector::Open(int portNumber)
{
    return OpenPort(portNumber, Settings());
}
