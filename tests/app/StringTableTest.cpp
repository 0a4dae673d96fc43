#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <QString>

#include <algorithm>

#include "StringTable.h"

namespace {

struct Case {
    int id;
    const char* text; // UTF-8
};

// Texts the main window, its warnings and the pages show, as they stand.
const Case kCases[] = {
    {130, "версия %d.%02d"},
    {131, "Параметры HART"},
    {162, "Параметры сенсора"},
    {163, "Журнал событий"},
    {164, "Журнал порогов"},
    {161, "Параметры прибора"},
    {187, "отключен"},
    {208, "Ошибка!"},
    {209, "Внимание!"},
    {210, "В настройках не задан порт обмена по MODBUS/ASCII.\nОпрос датчика невозможен."},
    {211, "Нет доступа к порту обмена по MODBUS/ASCII.\nПорт не найден или занят другим приложением.\nОпрос датчика невозможен."},
    {212, "В настройках не задан порт обмена по HART.\nЧтение данных HART не выполнено."},
    {213, "Нет доступа к порту обмена по HART.\nПорт не найден или занят другим приложением.\nЧтение данных HART не выполнено."},
    {263, "Калибровка"},
    {321, "Слишком высокое сопротивление полупроводникового слоя  (обрыв)"},
    {326, "Неизвестная ошибка"},
    {343, "6 - 120 тыс"},
    {364, "Терминал"},
    {376, "7 - TIA ON"},
    {385, "Пароль"},
    {386, "KorvanSensorCalibr"},
};

TEST(StringTable, HoldsTheTextsAsTheyStand)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.id);
        EXPECT_TRUE(StringTable::Has(c.id));
        EXPECT_EQ(StringTable::Get(c.id), QString::fromUtf8(c.text));
    }
}

TEST(StringTable, UnknownNumberGivesEmptyText)
{
    for (int id : {0, -1, 129, 999, 4999, 100000}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(StringTable::Has(id));
        EXPECT_TRUE(StringTable::Get(id).isEmpty());
    }
}

TEST(StringTable, EveryEntryHasText)
{
    const std::vector<int> ids = StringTable::Ids();
    EXPECT_GT(ids.size(), 200u);
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
    for (int id : ids) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(StringTable::Get(id).isEmpty());
    }
}

} // namespace
