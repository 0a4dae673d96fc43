#pragma once

// The line a simulated device is served on: a pseudo-terminal linked as a
// COM number where the system has them, the far end of a null-modem pair of
// COM ports on Windows. Both have the same interface.
#ifdef _WIN32
#include "ComLine.h"
using SimLine = ComLine;
#else
#include "PtyLine.h"
using SimLine = PtyLine;
#endif
