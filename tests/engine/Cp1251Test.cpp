#include <gtest/gtest.h>

#include <ostream>
#include <string>

#if __has_include(<iconv.h>)
#include <iconv.h>
#define ENGINE_TEST_HAS_ICONV 1
#endif

#include "Cp1251.h"

TEST(Cp1251, RussianTextBothWays)
{
    const std::string utf8 = "Ошибка! ёЁ №5 Мультигаз";
    const std::string bytes = "\xCE\xF8\xE8\xE1\xEA\xE0! \xB8\xA8 \xB9" "5 \xCC\xF3\xEB\xFC\xF2\xE8\xE3\xE0\xE7";
    EXPECT_EQ(Cp1251::FromUtf8(utf8), bytes);
    EXPECT_EQ(Cp1251::ToUtf8(bytes), utf8);
}

TEST(Cp1251, EveryByteSurvivesTheRoundTrip)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(Cp1251::FromUtf8(Cp1251::ToUtf8(all)), all);
}

struct Utf8Case {
    const char* name;
    std::string utf8;
    std::string expected;
};

void PrintTo(const Utf8Case& c, std::ostream* os)
{
    *os << c.name;
}

class Cp1251FromUtf8 : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Cp1251FromUtf8, ReplacesWhatItCannotHold)
{
    EXPECT_EQ(Cp1251::FromUtf8(GetParam().utf8), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Cp1251FromUtf8,
    ::testing::Values(Utf8Case{"Ascii", "@RRID 1.5;x", "@RRID 1.5;x"},
                      Utf8Case{"NotInCodePage", "a\xE2\x82\xAC" "b\xE4\xB8\xAD" "c\xF0\x9F\x98\x80", "a\x88" "b?c?"},
                      Utf8Case{"Greek", "\xCE\xB1", "?"},
                      Utf8Case{"LoneContinuation", "a\x80" "b", "a?b"},
                      Utf8Case{"TruncatedAtEnd", "a\xD0", "a?"},
                      Utf8Case{"TruncatedInside", "\xE2\x82" "z", "??z"},
                      Utf8Case{"Overlong", "\xC0\xAF", "??"},
                      Utf8Case{"Surrogate", "\xED\xA0\x80", "???"},
                      Utf8Case{"BeyondUnicode", "\xF4\x90\x80\x80", "????"},
                      Utf8Case{"InvalidLead", "\xFF\xFE", "??"},
                      Utf8Case{"EmbeddedNul", std::string("a\0b", 3), std::string("a\0b", 3)},
                      Utf8Case{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Cp1251, OtherReplacementCharacter)
{
    EXPECT_EQ(Cp1251::FromUtf8("x\xE4\xB8\xAD", '_'), "x_");
}

#ifdef ENGINE_TEST_HAS_ICONV
// The system's converter as an independent witness of the table.
TEST(Cp1251, TableAgreesWithIconv)
{
    iconv_t cd = iconv_open("UTF-8", "CP1251");
    if (cd == reinterpret_cast<iconv_t>(-1))
        GTEST_SKIP() << "iconv has no CP1251";
    for (int b = 0x80; b < 0x100; ++b) {
        if (b == 0x98)
            continue; // unassigned in the code page
        char in[1] = {static_cast<char>(b)};
        char out[8] = {};
        char* inPtr = in;
        char* outPtr = out;
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        ASSERT_NE(iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft), static_cast<std::size_t>(-1)) << b;
        EXPECT_EQ(Cp1251::ToUtf8(std::string(1, static_cast<char>(b))), std::string(out, outPtr)) << "byte " << b;
    }
    iconv_close(cd);
}
#endif
