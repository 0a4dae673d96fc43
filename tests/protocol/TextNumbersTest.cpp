#include <gtest/gtest.h>

#include <clocale>
#include <climits>

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
    };
    for (const RealCase& c : cases)
        EXPECT_DOUBLE_EQ(ParseDecimalReal(c.text), c.value) << '"' << c.text << '"';
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
