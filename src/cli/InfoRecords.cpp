#include "InfoRecords.h"

#include <cstdio>
#include <ctime>

#include "Cp1251.h"

namespace InfoRecords {
namespace {

json Text(const TextSlot& s)
{
    return s.valid != 0 ? json(Cp1251::ToUtf8(s.text)) : json(nullptr);
}

json Byte(const ByteSlot& s)
{
    return s.valid != 0 ? json(s.value) : json(nullptr);
}

template <std::size_t N>
json Reading(const ReadingSlot<N>& r)
{
    if (r.errorValid != 0)
        return json{{"error", Cp1251::ToUtf8(r.error)}};
    if (r.valid == 0)
        return nullptr;
    if constexpr (N == 1) {
        return Cp1251::ToUtf8(r.values[0]);
    } else {
        json a = json::array();
        for (const std::string& v : r.values)
            if (!v.empty())
                a.push_back(Cp1251::ToUtf8(v));
        return a;
    }
}

std::string Utc(std::uint32_t seconds)
{
    return JournalEntryDecoder::DateTimeText(seconds);
}

std::string Joined(const std::string* texts, std::size_t n)
{
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        if (texts[i].empty())
            continue;
        if (!out.empty())
            out += ' ';
        out += texts[i];
    }
    return out;
}

CodeValue FromText(const TextSlot& s)
{
    return {true, s.valid != 0, false, s.text};
}

template <std::size_t N>
CodeValue FromMulti(const MultiTextSlot<N>& m)
{
    return {true, m.valid != 0, false, Joined(m.texts.data(), N)};
}

constexpr TextSlot SensorParameters::*kSettings[12] = {
    &SensorParameters::av, &SensorParameters::rg, &SensorParameters::rl, &SensorParameters::bs,
    &SensorParameters::sb, &SensorParameters::iz, &SensorParameters::rs, &SensorParameters::md,
    &SensorParameters::fs, &SensorParameters::u0, &SensorParameters::kk, &SensorParameters::ul};

struct Label {
    const char* key;
    const char* text;
};

constexpr Label kSensorLabels[] = {
    {"modbusId", "Адрес Modbus"}, {"hartId", "Адрес HART"}, {"serialNumber", "Заводской номер"},
    {"manufactureDate", "Дата изготовления"}, {"calibrationDate", "Дата калибровки"},
    {"analyteCode", "Код газа"}, {"units", "Единицы"}, {"upperLimit", "Верхний предел"},
    {"lowerLimit", "Нижний предел"}, {"manufacturer", "Изготовитель"}, {"sensorType", "Тип датчика"},
    {"softwareVersion", "Версия ПО"}, {"concentration", "Концентрация"}, {"adc", "АЦП"},
    {"temperature", "Температура"}, {"v1", "V1"}, {"v2", "V2"}, {"c1", "C1"}, {"c2", "C2"}, {"s1", "S1"},
    {"s2", "S2"}, {"daa", "DAA"}};
constexpr Label kDeviceLabels[] = {
    {"softwareIdentification", "Идентификация ПО"}, {"text8", "Текст"}, {"analyteCode", "Код газа"},
    {"units", "Единицы"}, {"calibrationDate", "Дата калибровки"}, {"concentration", "Концентрация"},
    {"clock", "Часы прибора (UTC)"}, {"threshold1", "Порог 1"}, {"threshold2", "Порог 2"},
    {"soundMode", "Звук"}, {"ecoMode", "Экономичный режим"}};
constexpr Label kHartLabels[] = {
    {"pollingAddress", "Адрес опроса"}, {"uniqueId", "Уникальный идентификатор"},
    {"primaryValue", "Первичная переменная"}, {"outputCurrent", "Ток выхода"},
    {"loopCurrentMode", "Режим тока петли"}, {"shortTag", "Тег"}, {"descriptor", "Дескриптор"},
    {"date", "Дата"}, {"longTag", "Длинный тег"}, {"message", "Сообщение"},
    {"sensorSerial", "Номер сенсора"}, {"upperRange", "Верхний предел"}};

std::string ValueText(const json& v)
{
    if (v.is_null())
        return "—";
    if (v.is_string())
        return v.get<std::string>();
    if (v.is_object() && v.contains("error"))
        return "ошибка";
    if (v.is_array()) {
        std::string out;
        for (const json& e : v)
            out += (out.empty() ? "" : " ") + ValueText(e);
        return out;
    }
    return v.dump();
}

void Block(std::string& out, const char* title, const json& j, const Label* labels, std::size_t n)
{
    out += title;
    out += ":\n";
    if (j.is_null()) {
        out += "  нет данных\n";
        return;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (!j.contains(labels[i].key))
            continue;
        out += "  ";
        out += labels[i].text;
        out += ": ";
        out += ValueText(j[labels[i].key]);
        out += "\n";
    }
}

} // namespace

json SensorJson(const SensorParameters& p)
{
    json j;
    j["modbusId"] = Byte(p.modbusId);
    j["hartId"] = Byte(p.hartId);
    j["serialNumber"] = Text(p.serialNumber);
    j["manufactureDate"] = Text(p.manufactureDate);
    j["calibrationDate"] = Text(p.calibrationDate);
    j["analyteCode"] = Text(p.analyteCode);
    j["units"] = Text(p.units);
    j["upperLimit"] = Text(p.upperLimit);
    j["lowerLimit"] = Text(p.lowerLimit);
    j["manufacturer"] = Text(p.manufacturer);
    j["sensorType"] = Text(p.sensorType);
    j["softwareVersion"] = Text(p.softwareVersion);
    j["concentration"] = Reading(p.concentration);
    j["adc"] = Text(p.adc);
    j["temperature"] = Reading(p.sensorTemperature);
    j["v1"] = Text(p.v1);
    j["v2"] = Text(p.v2);
    j["c1"] = Text(p.c1);
    j["c2"] = Text(p.c2);
    j["s1"] = Text(p.s1);
    j["s2"] = Text(p.s2);
    j["daa"] = Byte(p.daa);
    return j;
}

json DeviceJson(const DeviceParameters& d)
{
    json j;
    j["softwareIdentification"] = Text(d.softwareIdentification);
    j["text8"] = Text(d.deviceText8);
    j["analyteCode"] = Text(d.deviceAnalyteCode);
    j["units"] = Text(d.deviceUnits);
    if (d.deviceCalibrationDate.valid != 0) {
        char date[32];
        std::snprintf(date, sizeof date, "%02u.%02u.%04u", d.deviceCalibrationDate.day, d.deviceCalibrationDate.month,
                      d.deviceCalibrationDate.year);
        j["calibrationDate"] = date;
    } else {
        j["calibrationDate"] = nullptr;
    }
    j["concentration"] = d.deviceConcentration.valid != 0 ? json(d.deviceConcentration.value) : json(nullptr);
    j["clock"] = d.deviceClock.valid != 0 ? json(Utc(d.deviceClock.value)) : json(nullptr);
    j["threshold1"] = d.thresholdsValid != 0 ? json(d.threshold1) : json(nullptr);
    j["threshold2"] = d.thresholdsValid != 0 ? json(d.threshold2) : json(nullptr);
    j["soundMode"] = d.thresholdsValid != 0 ? json(d.soundMode) : json(nullptr);
    j["ecoMode"] = d.ecoModeValid != 0 ? json(d.ecoMode) : json(nullptr);
    if (d.journalIndices.valid != 0) {
        const auto& x = d.journalIndices.value;
        j["journalIndices"] = {{"eventFirst", x[DeviceParameters::kEventFirst]},
                               {"eventLast", x[DeviceParameters::kEventLast]},
                               {"eventCapacity", x[DeviceParameters::kEventCapacity]},
                               {"thresholdFirst", x[DeviceParameters::kThresholdFirst]},
                               {"thresholdLast", x[DeviceParameters::kThresholdLast]},
                               {"thresholdCapacity", x[DeviceParameters::kThresholdCapacity]}};
    } else {
        j["journalIndices"] = nullptr;
    }
    return j;
}

json HartJson(const HartParameters& h)
{
    json j;
    j["pollingAddress"] = Byte(h.pollingAddress);
    j["uniqueId"] = Text(h.uniqueId);
    j["primaryValue"] = Text(h.primaryValue);
    j["outputCurrent"] = Text(h.outputCurrent);
    j["loopCurrentMode"] = Byte(h.loopCurrentMode);
    j["shortTag"] = Text(h.shortTag);
    j["descriptor"] = Text(h.descriptor);
    j["date"] = Text(h.date);
    j["longTag"] = Text(h.longTag);
    j["message"] = Text(h.message);
    j["sensorSerial"] = Text(h.sensorSerial);
    j["upperRange"] = Text(h.upperRange);
    return j;
}

json Json(const SensorParameters& p, const DeviceParameters& d, const HartParameters& h, bool hartRead)
{
    json j;
    j["sensor"] = SensorJson(p);
    j["detector"] = DeviceJson(d);
    j["hart"] = hartRead ? HartJson(h) : json(nullptr);
    return j;
}

std::string Text(const json& info)
{
    std::string out;
    if (info.contains("sensor"))
        Block(out, "Датчик", info["sensor"], kSensorLabels, std::size(kSensorLabels));
    if (info.contains("detector"))
        Block(out, "Прибор", info["detector"], kDeviceLabels, std::size(kDeviceLabels));
    if (info.contains("hart"))
        Block(out, "HART", info["hart"], kHartLabels, std::size(kHartLabels));
    return out;
}

std::string Summary(const json& info, const std::vector<std::string>& journals,
                    const std::vector<JournalEntryText>& eventsNewestFirst, const std::vector<std::string>& failures)
{
    std::string out = "Сервисный отчёт\n";
    const std::time_t now = std::time(nullptr);
    out += "Составлен (UTC): " + JournalEntryDecoder::DateTimeText(static_cast<std::uint32_t>(now)) + "\n\n";
    out += Text(info);
    out += "\nЖурналы:\n";
    for (const std::string& j : journals)
        out += "  " + j + "\n";
    out += "\nПоследние события:\n";
    if (eventsNewestFirst.empty())
        out += "  нет\n";
    for (std::size_t i = 0; i < eventsNewestFirst.size() && i < 10; ++i)
        out += "  " + eventsNewestFirst[i].dateTime + "  " + eventsNewestFirst[i].event + "\n";
    out += "\nНе прочитано:\n";
    if (failures.empty())
        out += "  всё прочитано\n";
    for (const std::string& f : failures)
        out += "  " + f + "\n";
    return out;
}

bool KnownReadCode(int code)
{
    return code >= 0 && code <= 34;
}

CodeValue ReadCodeValue(const SensorParameters& p, int code)
{
    if (code >= 4 && code <= 15)
        return FromText(p.*kSettings[code - 4]);
    switch (code) {
    case 0: return FromText(p.v1);
    case 1: return FromText(p.v2);
    case 2: return FromText(p.c1);
    case 3: return FromText(p.c2);
    case 16: {
        CodeValue v{true, true, false, {}};
        for (std::size_t i = 0; i < p.coeffK.Size(); ++i) {
            v.valid = v.valid && p.coeffK.valid[i] != 0;
            v.text += (i == 0 ? "" : " ") + p.coeffK.texts[i];
        }
        return v;
    }
    case 17: return FromText(p.heater);
    case 18: return FromText(p.bb);
    case 19: return FromText(p.br);
    case 20: return FromText(p.tg);
    case 21: return FromText(p.a1);
    case 22: return FromText(p.kt);
    case 23: return FromText(p.t0);
    case 24: return FromText(p.h0);
    case 25: return FromText(p.mg);
    case 26: return FromText(p.mp);
    case 27: return FromMulti(p.piValues);
    case 28: return FromText(p.s1);
    case 29: return FromText(p.s2);
    case 30:
    case 32: return FromMulti(p.r0Values);
    case 31: return FromMulti(p.lpValues);
    case 33: return FromMulti(p.cpValues);
    case 34: return FromText(p.le);
    default: return {};
    }
}

CodeValue WriteCodeValue(const SensorParameters& p, int code)
{
    if (code >= 5 && code <= 16)
        return FromText(p.*kSettings[code - 5]);
    constexpr TextSlot SensorParameters::*k22[6] = {&SensorParameters::a1, &SensorParameters::kt,
                                                    &SensorParameters::t0, &SensorParameters::h0,
                                                    &SensorParameters::mg, &SensorParameters::mp};
    if (code >= 22 && code <= 27)
        return FromText(p.*k22[code - 22]);
    switch (code) {
    case 1: return FromText(p.v1);
    case 2: return FromText(p.v2);
    case 18: return FromText(p.heater);
    case 21: return FromText(p.tg);
    default: return {};
    }
}

} // namespace InfoRecords
