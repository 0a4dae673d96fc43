#pragma once

#include <cstddef>
#include <string>

// What a value typed by the user may be before it goes to the sensor. The
// sensor's command line separates its fields with commas and ends at CR LF,
// so a value with a comma would split into extra fields and one with a line
// break would put a second command on the line. A Russian keyboard types a
// decimal comma: where the command sends the value as a number, the comma is
// taken as the decimal point; everywhere else it is refused.
enum class SensorValueProblem {
    None,
    Comma,      // a comma in a value sent as text
    LineBreak,  // CR, LF or NUL
    NotANumber, // a value sent as a number that does not begin with one
    TooLarge,   // a number whose text does not fit the command's field
};

// A value sent as text, as it is.
SensorValueProblem CheckSensorTextValue(const std::string& value);

// A value sent as a number: leading white space, an optional sign, then a
// decimal number in the C notation or with one decimal comma in place of the
// point ("12,345"); what follows the number is ignored, as the device does.
// On None `number` holds the value. With a printf `format`, the number's
// text in that format must also fit the field (kSensorNumberTextMax).
SensorValueProblem ParseSensorNumber(const std::string& value, double& number, const char* format = nullptr);

// The longest text a number may take in a command field.
inline constexpr std::size_t kSensorNumberTextMax = 63;

// The message the user reads, UTF-8; empty for None.
const char* SensorValueProblemText(SensorValueProblem problem);
