#pragma once

// Framing of a serial line; baud rate and framing are fixed per line type.
struct LineSettings {
    enum class Parity { None = 0, Odd = 1 };

    unsigned baudRate = 9600;
    unsigned dataBits = 8;
    Parity parity = Parity::None;
    unsigned stopBits = 1;
};
