#pragma once

#include <windows.h>

#include "LineSettings.h"

// The line settings as the Win32 port driver takes them. Kept apart from the
// port so that tests can check every field without a port that keeps them
// (a pseudo-terminal under Wine drops the parity bit).

// Sets the fields of a DCB that the line needs, and those that would stop
// the line from passing every byte value unchanged; `dcb` comes from
// GetCommState and every other field stays as the driver reported it.
void MakeWin32Dcb(const LineSettings& settings, DCB& dcb);

// Reads return what has arrived after about 1 ms per requested byte, or
// earlier after a 2 ms gap that follows a received byte; writes never time out.
COMMTIMEOUTS MakeWin32Timeouts();
