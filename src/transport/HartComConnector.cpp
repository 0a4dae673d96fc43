#include "HartComConnector.h"

LineSettings HartComConnector::Settings()
{
    LineSettings s;
    s.baudRate = 1200;
    s.dataBits = 8;
    s.parity = LineSettings::Parity::Odd;
    s.stopBits = 1;
    return s;
}

bool HartComConnector::Open(int portNumber)
{
    return OpenPort(portNumber, Settings());
}
