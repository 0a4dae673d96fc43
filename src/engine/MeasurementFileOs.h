#pragma once

#include <cstdio>
#include <ctime>
#include <string>

// The two things the measurement file needs from the operating system.

// Creates or truncates the file for binary writing, denying other writers;
// null when that is not possible.
std::FILE* OpenMeasurementFileExclusive(const std::string& utf8Path);

// The current local time; false when the clock cannot be read.
bool CurrentLocalTime(std::tm& out);
