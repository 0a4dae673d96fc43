#include <gtest/gtest.h>

#include "IniSettings.h"

TEST(IniSettings, ReadsTheDesktopToolsStore)
{
    const std::string ini = "[General]\nModbusPort=9\n\n[Connection]\r\nHartPort=2\r\nModbusPort=5\r\nMgCount = 4\n"
                            "[Words]\nSt=\"a \\\"b\\\" \\\\c\"\nWr=47093518\n";
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {{"Connection", "ModbusPort", "5"}, {"Connection", "HartPort", "2"}, {"Connection", "MgCount", "4"},
                 {"Connection", "MgPort", ""},      {"Words", "St", "a \"b\" \\c"},   {"Words", "Wr", "47093518"},
                 {"General", "ModbusPort", "9"},    {"Missing", "ModbusPort", ""}};
    for (const Case& c : cases)
        EXPECT_EQ(IniValue(ini, c.section, c.key), c.value) << c.section << "/" << c.key;
}
