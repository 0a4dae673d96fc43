#include <gtest/gtest.h>

#include <clocale>
#include <cfloat>
#include <climits>
#include <string>

#include "SensorValueText.h"
#include "TextNumbers.h"

namespace {

struct IntCase {
    const char* text;
    long long value;
};

TEST(TextNumbers, IntegerTakesTheLeadingDecimalNumber)
{
    const IntCase cases[] = {
        {"42", 42},     {"  -7", -7},   {"+15x", 15}, {"300", 300}, {"", 0},   {"abc", 0},
        {"-", 0},       {"12.9", 12},   {" 0x1F", 0}, {"\t8 9", 8}, {"007", 7},
        {"99999999999999999999999", LLONG_MAX},     {"-99999999999999999999999", LLONG_MIN},
    };
    for (const IntCase& c : cases)
        EXPECT_EQ(ParseDecimalInt(c.text), c.value) << '"' << c.text << '"';
}

struct RealCase {
    const char* text;
    double value;
};

TEST(TextNumbers, RealTakesTheLeadingDecimalNumber)
{
    const RealCase cases[] = {
        {"12.345", 12.345}, {" -0.5 ppm", -0.5}, {".25", 0.25}, {"1e3", 1000.0}, {"2.5E-1x", 0.25},
        {"", 0.0},          {"ошибка", 0.0},     {"nan", 0.0},  {"inf", 0.0},    {"12,5", 12.0},
        {"+3", 3.0},        {"0x10", 0.0},       {"-.", 0.0},
        // Beyond what a double holds: the largest double, or 0 when tiny.
        {"1e400", DBL_MAX}, {"-1e400", -DBL_MAX}, {"1e-400", 0.0},
    };
    for (const RealCase& c : cases)
        EXPECT_DOUBLE_EQ(ParseDecimalReal(c.text), c.value) << '"' << c.text << '"';
}

// A digit string longer than any double is a huge number, not 0; a long run
// of zeros after the point is a tiny one.
TEST(TextNumbers, OverLongDigitStringsKeepTheirMagnitude)
{
    const std::string digits = "1" + std::string(400, '0');
    EXPECT_DOUBLE_EQ(ParseDecimalReal(digits), DBL_MAX);
    EXPECT_DOUBLE_EQ(ParseDecimalReal("-" + digits + ".5"), -DBL_MAX);
    EXPECT_DOUBLE_EQ(ParseDecimalReal(std::string(300, '0') + digits), DBL_MAX);
    EXPECT_DOUBLE_EQ(ParseDecimalReal("0." + std::string(400, '0') + "1"), 0.0);
    EXPECT_DOUBLE_EQ(ParseDecimalReal(digits + "e-800"), 0.0);
    EXPECT_DOUBLE_EQ(ParseDecimalReal("0.0001e400"), DBL_MAX);
}

struct ValueCase {
    const char* name;
    std::string text;
    SensorValueProblem asNumber;
    double number;             // when asNumber is None
    SensorValueProblem asText;
};

// One table for the two ways a typed value goes to the sensor: as a number
// ("@WCLE", one decimal) and as text (every other write).
TEST(SensorValueText, NumbersTakeADecimalCommaTextsRefuseIt)
{
    using P = SensorValueProblem;
    const ValueCase cases[] = {
        {"point", "12.345", P::None, 12.345, P::None},
        {"decimalComma", "12,345", P::None, 12.345, P::Comma},
        {"commaWithBlanks", " -7,5 ", P::None, -7.5, P::Comma},
        {"commaAndExponent", "1,5e3", P::None, 1500.0, P::Comma},
        {"twoCommas", "1,2,3", P::NotANumber, 0, P::Comma},
        {"commaAndPoint", "1,234.5", P::NotANumber, 0, P::Comma},
        {"word", "abc", P::NotANumber, 0, P::None},
        {"empty", "", P::NotANumber, 0, P::None},
        {"lineBreak", "1\r\n@WMMC", P::LineBreak, 0, P::LineBreak},
        {"nul", std::string("1\0" "2", 3), P::LineBreak, 0, P::LineBreak},
        // "%.1f" of 1e70 is 72 characters: more than the field takes.
        {"tooLongForTheField", "1e70", P::TooLarge, 0, P::None},
        {"overLongDigits", std::string(400, '9'), P::TooLarge, 0, P::None},
        {"justFits", "1e60", P::None, 1e60, P::None},
    };
    for (const ValueCase& c : cases) {
        double number = -1.0;
        EXPECT_EQ(ParseSensorNumber(c.text, number, "%.1f"), c.asNumber) << c.name;
        if (c.asNumber == P::None) {
            EXPECT_DOUBLE_EQ(number, c.number) << c.name;
        }
        EXPECT_EQ(CheckSensorTextValue(c.text), c.asText) << c.name;
    }
    for (P p : {P::Comma, P::LineBreak, P::NotANumber, P::TooLarge})
        EXPECT_STRNE(SensorValueProblemText(p), "");
    EXPECT_STREQ(SensorValueProblemText(P::None), "");
}

TEST(TextNumbers, TryFormatRefusesWhatWouldBeCut)
{
    std::string out = "kept";
    EXPECT_FALSE(TryFormatC("%.1f", 1e70, 63, out));
    EXPECT_EQ(out, "kept");
    ASSERT_TRUE(TryFormatC("%.1f", 12.345, 63, out));
    EXPECT_EQ(out, "12.3");
}

TEST(TextNumbers, NumbersStayInTheCNotationWhateverTheLocale)
{
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old != nullptr ? old : "C";
    // POSIX names first, then those of the Windows C runtime.
    bool commaLocale = false;
    for (const char* name : {"ru_RU.UTF-8", "ru_RU", "de_DE.UTF-8", "Russian_Russia.1251", "ru-RU", "Russian"})
        commaLocale = commaLocale || std::setlocale(LC_NUMERIC, name) != nullptr;
    if (!commaLocale)
        GTEST_SKIP() << "no locale with a decimal comma: the C runtime knows none of ru_RU.UTF-8, ru_RU, "
                        "de_DE.UTF-8 (POSIX), Russian_Russia.1251, ru-RU, Russian (Windows)";
    EXPECT_DOUBLE_EQ(ParseDecimalReal("12.5"), 12.5);
    const std::string formatted = FormatC("%.1f", 12.345);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(formatted, "12.3");
}

TEST(TextNumbers, FormatRoundsAsPrintfDoes)
{
    EXPECT_EQ(FormatC("%.1f", 12.345), "12.3");
    EXPECT_EQ(FormatC("%.1f", 0.05), "0.1");
    EXPECT_EQ(FormatC("%0.1f", -3.0), "-3.0");
}

} // namespace
