#include "JournalEntryText.h"

#include <cstdio>
#include <iterator>

#include "TextNumbers.h"

namespace JournalEntryDecoder {

namespace {

// The event texts by string number, 220 first.
constexpr const char* kEventTexts[] = {
    "Превышен порог 1, значение %f",                      // 220
    "Превышен порог 2, значение %f",                      // 221
    "Смена сенсора, новый серийный номер %u",             // 222
    "Питание включено",                                   // 223
    "Питание выключено",                                  // 224
    "Обрыв токовой петли",                                // 225
    "Восстановление токовой петли",                       // 226
    "Изменено значение порога 1, значение %f",            // 227
    "Изменено значение порога 2, значение %f",            // 228
    "Установлен признак O2",                              // 229
    "Сброшен признак O2",                                 // 230
    "Изменена настройка СЗУ: отключена",                  // 231
    "Изменена настройка СЗУ: порог 1",                    // 232
    "Изменена настройка СЗУ: порог 2",                    // 233
    "Изменена настройка СЗУ: порог 1 и 2",                // 234
    "Изменен режим экономии энергии: отключен",           // 235
    "Изменен режим экономии энергии: включен",            // 236
    "Изменен режим экономии энергии: максимальный",       // 237
    "Изменено значение точки калибровки 1, значение %f",  // 238
    "Изменено значение точки калибровки 2, значение %f",  // 239
    "Отказ сенсора",                                      // 240
    "Сенсор восстановлен, серийный номер %u",             // 241
};
static_assert(std::size(kEventTexts) == kLastEventTextId - kFirstEventTextId + 1);

// Which string an entry shows; 0 for a type the device's firmware of this
// program's time does not write.
int TextId(std::uint16_t type, std::uint32_t value)
{
    switch (type) {
    case 1: return 220;
    case 2: return 221;
    case 3: return 222;
    case 4: return 223;
    case 5: return 224;
    case 6: return value == 0 ? 225 : 226;
    case 7: return 227;
    case 8: return 228;
    case 9: return value != 0 ? 229 : 230;
    case 10: return value == 0 ? 231 : value == 1 ? 232 : value == 2 ? 233 : 234;
    case 11: return value == 0 ? 235 : value == 1 ? 236 : 237;
    case 12: return 238;
    case 13: return 239;
    case 14: return value == 0 ? 240 : 241;
    default: return 0;
    }
}

// Days since 1970-01-01 to the civil date (proleptic Gregorian), exact for
// every 32-bit time the device can store.
void CivilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day)
{
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0);
}

} // namespace

const char* EventTemplate(int id)
{
    if (id < kFirstEventTextId || id > kLastEventTextId)
        return "";
    return kEventTexts[id - kFirstEventTextId];
}

std::string DateTimeText(std::uint32_t secondsSince1970)
{
    const std::int64_t days = secondsSince1970 / 86400;
    const unsigned secondOfDay = secondsSince1970 % 86400;
    std::int64_t year = 0;
    unsigned month = 0, day = 0;
    CivilFromDays(days, year, month, day);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04lld.%02u.%02u %02u:%02u:%02u", static_cast<long long>(year), month, day,
                  secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60);
    return buffer;
}

std::string EventText(const ModbusJournalRecord& record)
{
    const int id = TextId(record.Type(), record.ValueUnsigned());
    if (id == 0)
        return kUnknownEvent;
    std::string text = EventTemplate(id);
    std::string::size_type at = text.find("%f");
    if (at != std::string::npos)
        return text.replace(at, 2, FormatC("%f", static_cast<double>(record.ValueFloat())));
    at = text.find("%u");
    if (at != std::string::npos)
        return text.replace(at, 2, std::to_string(record.ValueUnsigned()));
    return text;
}

JournalEntryText Decode(const ModbusJournalRecord& record)
{
    return {DateTimeText(record.Time()), EventText(record)};
}

std::vector<JournalEntryText> Decode(const std::vector<ModbusJournalRecord>& records)
{
    std::vector<JournalEntryText> out;
    out.reserve(records.size());
    for (const ModbusJournalRecord& r : records)
        out.push_back(Decode(r));
    return out;
}

} // namespace JournalEntryDecoder
