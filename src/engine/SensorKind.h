#pragma once

#include <string>

// What the sensor module is, from the type text it reports ("@RRKS"); the
// calibration workspace chooses its panels and the engine its reads by it.
enum class SensorKind : int {
    Unknown = 0,
    OptoDyn = 1,
    OptoMIP = 2,
    Elchem = 3,      // "Elchem" or "ElchLP"
    Oksik = 4,
    Semi = 5,
    SemiCycl = 6,
    TcatBrdg = 7,
    TcatPWR = 8,
    CondTerm = 9,
    CondConv = 10,
};

// The whole text, blanks around it ignored, compared without regard to
// letter case; anything else, a longer name included, is Unknown.
SensorKind ClassifySensorKind(const std::string& text);
