#pragma once

#include <termios.h>

#include "LineSettings.h"

// Turns the line settings into termios fields (raw mode, speed, data bits,
// parity, stop bits, no flow control, reads that never wait by themselves).
// False for a speed termios does not know.
bool MakePosixTermios(const LineSettings& settings, termios& t);
