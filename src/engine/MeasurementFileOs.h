#pragma once

// The two things the measurement file needs from the operating system
// (OpenMeasurementFileExclusive, CurrentLocalTime), and the replaceable
// FileOs the file layer writes through; they live with the exchange log's
// file code, below the engine.
#include "FileOs.h"
