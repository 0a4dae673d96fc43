// The journal record decoder: every event type and its value branches, the
// UTC date, and numbers in the C notation whatever the locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <ostream>
#include <string>

#include "JournalEntryText.h"

namespace {

ModbusJournalRecord Record(std::uint32_t time, std::uint16_t type, std::uint32_t valueBits)
{
    ModbusJournalRecord r;
    for (int i = 0; i < 4; ++i) {
        r.raw[i] = static_cast<std::uint8_t>(time >> (8 * i));
        r.raw[6 + i] = static_cast<std::uint8_t>(valueBits >> (8 * i));
    }
    r.raw[4] = static_cast<std::uint8_t>(type);
    r.raw[5] = static_cast<std::uint8_t>(type >> 8);
    // The spare bytes as erased memory: the decoder must not read them.
    for (int i = 10; i < 16; ++i)
        r.raw[i] = 0xFF;
    return r;
}

std::uint32_t FloatBits(float f)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

struct EventCase {
    const char* name;
    std::uint16_t type;
    std::uint32_t value;
    const char* text;
};

void PrintTo(const EventCase& c, std::ostream* os) { *os << c.name; }

class EventTexts : public ::testing::TestWithParam<EventCase> {};

TEST_P(EventTexts, TypeAndValueGiveTheText)
{
    const EventCase& c = GetParam();
    EXPECT_EQ(JournalEntryDecoder::EventText(Record(1700000000, c.type, c.value)), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    AllTypes, EventTexts,
    ::testing::Values(
        EventCase{"Threshold1Float", 1, FloatBits(12.5f), "Превышен порог 1, значение 12.500000"},
        EventCase{"Threshold2Float", 2, FloatBits(0.0f), "Превышен порог 2, значение 0.000000"},
        EventCase{"SensorChanged", 3, 12345, "Смена сенсора, новый серийный номер 12345"},
        EventCase{"SensorChangedLargestSerial", 3, 0xFFFFFFFFu, "Смена сенсора, новый серийный номер 4294967295"},
        EventCase{"PowerOn", 4, 77, "Питание включено"},
        EventCase{"PowerOff", 5, 0, "Питание выключено"},
        EventCase{"LoopBroken", 6, 0, "Обрыв токовой петли"},
        EventCase{"LoopRestored", 6, 7, "Восстановление токовой петли"},
        EventCase{"Threshold1ChangedNegative", 7, FloatBits(-3.25f), "Изменено значение порога 1, значение -3.250000"},
        EventCase{"Threshold2Changed", 8, FloatBits(42.5f), "Изменено значение порога 2, значение 42.500000"},
        EventCase{"O2Set", 9, 1, "Установлен признак O2"},
        EventCase{"O2SetAnyNonZero", 9, 0x100, "Установлен признак O2"},
        EventCase{"O2Reset", 9, 0, "Сброшен признак O2"},
        EventCase{"RelayOff", 10, 0, "Изменена настройка СЗУ: отключена"},
        EventCase{"RelayThreshold1", 10, 1, "Изменена настройка СЗУ: порог 1"},
        EventCase{"RelayThreshold2", 10, 2, "Изменена настройка СЗУ: порог 2"},
        EventCase{"RelayBoth", 10, 3, "Изменена настройка СЗУ: порог 1 и 2"},
        EventCase{"RelayOtherValue", 10, 200, "Изменена настройка СЗУ: порог 1 и 2"},
        EventCase{"EcoOff", 11, 0, "Изменен режим экономии энергии: отключен"},
        EventCase{"EcoOn", 11, 1, "Изменен режим экономии энергии: включен"},
        EventCase{"EcoMaximum", 11, 2, "Изменен режим экономии энергии: максимальный"},
        EventCase{"EcoOtherValue", 11, 9, "Изменен режим экономии энергии: максимальный"},
        // 0.1f is 0.100000001490116… as a double: six decimals round it.
        EventCase{"CalibrationPoint1", 12, FloatBits(0.1f), "Изменено значение точки калибровки 1, значение 0.100000"},
        EventCase{"CalibrationPoint2", 13, FloatBits(1000.0f), "Изменено значение точки калибровки 2, значение 1000.000000"},
        EventCase{"SensorFailed", 14, 0, "Отказ сенсора"},
        EventCase{"SensorRestored", 14, 20240117, "Сенсор восстановлен, серийный номер 20240117"},
        EventCase{"UnknownType99", 99, 5, "?"},
        EventCase{"TypeZero", 0, 0, "?"},
        EventCase{"ErasedMemory", 0xFFFF, 0xFFFFFFFFu, "?"},
        EventCase{"TypeAboveKnownOnes", 15, 0, "?"}),
    [](const ::testing::TestParamInfo<EventCase>& info) { return std::string(info.param.name); });

struct TimeCase {
    std::uint32_t seconds;
    const char* text;
};

TEST(JournalDateTime, UtcInSortableForm)
{
    const TimeCase cases[] = {
        {0, "1970.01.01 00:00:00"},
        {59, "1970.01.01 00:00:59"},
        {951782400, "2000.02.29 00:00:00"},        // a leap day
        {1700000000, "2023.11.14 22:13:20"},
        {4294967295u, "2106.02.07 06:28:15"},      // the largest time the record holds
    };
    for (const TimeCase& c : cases)
        EXPECT_EQ(JournalEntryDecoder::DateTimeText(c.seconds), c.text) << c.seconds;
}

TEST(JournalDecode, EntryCarriesDateAndEventInTheGivenOrder)
{
    const std::vector<ModbusJournalRecord> records = {Record(86400 + 3661, 4, 0), Record(0, 99, 0)};
    const std::vector<JournalEntryText> entries = JournalEntryDecoder::Decode(records);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], (JournalEntryText{"1970.01.02 01:01:01", "Питание включено"}));
    EXPECT_EQ(entries[1], (JournalEntryText{"1970.01.01 00:00:00", "?"}));
}

TEST(JournalDecode, FloatsKeepTheDecimalPointOnARussianDesktop)
{
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    if (std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") == nullptr && std::setlocale(LC_NUMERIC, "Russian_Russia.1251") == nullptr)
        GTEST_SKIP() << "no Russian locale on this machine";
    const std::string text = JournalEntryDecoder::EventText(Record(0, 1, FloatBits(12.5f)));
    std::setlocale(LC_NUMERIC, previous.c_str());
    EXPECT_EQ(text, "Превышен порог 1, значение 12.500000");
}

TEST(JournalDecode, EventTemplatesCoverTheirNumbersOnly)
{
    EXPECT_STREQ(JournalEntryDecoder::EventTemplate(220), "Превышен порог 1, значение %f");
    EXPECT_STREQ(JournalEntryDecoder::EventTemplate(241), "Сенсор восстановлен, серийный номер %u");
    EXPECT_STREQ(JournalEntryDecoder::EventTemplate(219), "");
    EXPECT_STREQ(JournalEntryDecoder::EventTemplate(242), "");
}

} // namespace
