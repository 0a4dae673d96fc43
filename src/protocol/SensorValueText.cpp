#include "SensorValueText.h"

#include <cmath>

#include "TextNumbers.h"

SensorValueProblem CheckSensorTextValue(const std::string& value)
{
    if (value.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        return SensorValueProblem::LineBreak;
    if (value.find(',') != std::string::npos)
        return SensorValueProblem::Comma;
    return SensorValueProblem::None;
}

SensorValueProblem ParseSensorNumber(const std::string& value, double& number, const char* format)
{
    if (value.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        return SensorValueProblem::LineBreak;
    std::string text = value;
    const std::size_t comma = text.find(',');
    if (comma != std::string::npos) {
        // One decimal comma stands for the point; "1,234.5" or "1,2,3" are
        // not numbers the user can have meant one way only.
        if (text.find(',', comma + 1) != std::string::npos || text.find('.') != std::string::npos)
            return SensorValueProblem::NotANumber;
        text[comma] = '.';
    }
    if (!StartsWithDecimalNumber(text))
        return SensorValueProblem::NotANumber;
    const double parsed = ParseDecimalReal(text);
    std::string formatted;
    if (!std::isfinite(parsed) || (format != nullptr && !TryFormatC(format, parsed, kSensorNumberTextMax, formatted)))
        return SensorValueProblem::TooLarge;
    number = parsed;
    return SensorValueProblem::None;
}

const char* SensorValueProblemText(SensorValueProblem problem)
{
    switch (problem) {
    case SensorValueProblem::None:
        return "";
    case SensorValueProblem::Comma:
        return "Значение не может содержать запятую: запятая разделяет поля команды датчика. "
               "Дробную часть отделяйте точкой.";
    case SensorValueProblem::LineBreak:
        return "Значение не может содержать перевод строки или нулевой символ.";
    case SensorValueProblem::NotANumber:
        return "Введите число (дробную часть отделяйте точкой или запятой).";
    case SensorValueProblem::TooLarge:
        return "Число слишком велико для поля значения.";
    }
    return "";
}
