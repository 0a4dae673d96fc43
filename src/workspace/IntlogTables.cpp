#include "IntlogTables.h"

#include <algorithm>
#include <climits>

#include "SensorParameters.h"
#include "TextNumbers.h"

namespace IntlogTables {

namespace {

// Codes 0 to 6; the semiconductor sensor's names are strings 273 ("нет") to
// 279, the power-balance sensor's 302 ("нет") and 303 to 307 for codes 2 to 6
// (it has no code 1).
constexpr int kSemiNames[7] = {0, 274, 275, 276, 277, 278, 279};
constexpr int kTCatpwrNames[7] = {0, 0, 303, 304, 305, 306, 307};
constexpr int kSemiSlots[7] = {-1, 7, 5, 6, 9, 4, 8};
constexpr int kTCatpwrSlots[7] = {-1, -1, 18, 19, 9, 8, 3};

bool KnownCode(int code)
{
    return code >= 0 && code <= 6;
}

} // namespace

const std::array<int, 7>& PeriodsMs()
{
    static const std::array<int, 7> periods{1, 2, 5, 10, 20, 50, 100};
    return periods;
}

int Code(const std::string& text)
{
    const long long v = ParseDecimalInt(text);
    return int(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

int NameId(Panel panel, int code)
{
    if (!KnownCode(code))
        return 0;
    return panel == Panel::Semi ? kSemiNames[code] : kTCatpwrNames[code];
}

int GraphSlot(SensorKind kind, int code)
{
    if (!KnownCode(code))
        return -1;
    if (kind == SensorKind::Semi)
        return kSemiSlots[code];
    if (kind == SensorKind::TcatPWR)
        return kTCatpwrSlots[code];
    return -1;
}

std::vector<int> ListItemIds(Panel panel)
{
    if (panel == Panel::Semi)
        return {273, 274, 275, 276, 277, 278, 279};
    return {302, 303, 304, 305, 306, 307};
}

int ListIndexOfCode(Panel panel, int code)
{
    if (panel == Panel::Semi)
        return KnownCode(code) ? code : 0;
    return code >= 2 && code <= 6 ? code - 1 : 0;
}

int CodeOfListIndex(Panel panel, int index)
{
    if (index < 0 || index > 6)
        return 0;
    if (panel == Panel::Semi)
        return index;
    // The power-balance list has no code 1: its items stand for 0, 2 … 6.
    return index > 0 && index < 6 ? index + 1 : 0;
}

int PeriodIndexOf(const std::string& text)
{
    const long long wanted = ParseDecimalInt(text) + 1;
    const auto& periods = PeriodsMs();
    for (std::size_t i = 0; i < periods.size(); ++i)
        if (periods[i] >= wanted)
            return int(i);
    return -1;
}

SensorCommandRequest LogParametersRequest(Panel panel, const std::array<int, 3>& listIndexes, int periodIndex)
{
    SensorCommandRequest request;
    if (periodIndex < 0 || periodIndex >= int(PeriodsMs().size()))
        return request;
    request.code = 32;
    for (std::size_t i = 0; i < listIndexes.size(); ++i)
        request.texts[i] = std::to_string(CodeOfListIndex(panel, listIndexes[i]));
    // The sensor counts its period from 0 for 1 ms.
    request.texts[3] = std::to_string(PeriodsMs()[std::size_t(periodIndex)] - 1);
    return request;
}

bool Configured(const MultiTextSlot<4>& lpValues)
{
    if (lpValues.valid == 0)
        return false;
    for (std::size_t i = 0; i < 3; ++i) {
        const int code = Code(lpValues.texts[i]);
        if (code >= 1 && code <= 6)
            return true;
    }
    return false;
}

std::array<int, 3> ColumnNameIds(Panel panel, const MultiTextSlot<4>& lpValues)
{
    std::array<int, 3> ids{0, 0, 0};
    if (lpValues.valid == 0)
        return ids;
    std::size_t next = 0;
    for (std::size_t i = 0; i < 3; ++i)
        if (const int id = NameId(panel, Code(lpValues.texts[i])))
            ids[next++] = id;
    return ids;
}

Graph BuildGraph(const std::vector<SensorIntlogRecord>& records, const SensorParameters& parameters)
{
    Graph graph;
    if (records.size() < 2 || parameters.sensorType.valid == 0 || parameters.lpValues.valid == 0)
        return graph;
    const SensorKind kind = ClassifySensorKind(parameters.sensorType.text);
    std::vector<int> slots;
    for (std::size_t i = 0; i < 3; ++i) {
        const int slot = GraphSlot(kind, Code(parameters.lpValues.texts[i]));
        if (slot >= 0)
            slots.push_back(slot);
    }
    if (slots.empty())
        return graph;
    graph.points.reserve(records.size());
    for (const SensorIntlogRecord& r : records) {
        SensorCalibrationLoopMeasurementsPoint point;
        for (std::size_t j = 0; j < slots.size(); ++j) {
            const auto slot = std::size_t(slots[j]);
            point.values[slot] = r.values[j];
            point.valid[slot] = r.texts[j].empty() ? 0 : 1;
        }
        graph.points.push_back(point);
    }
    std::copy(slots.begin(), slots.end(), graph.series.begin());
    const long long period = ParseDecimalInt(parameters.lpValues.texts[3]);
    graph.intervalMs = int(std::clamp<long long>(period + 1, INT_MIN, INT_MAX));
    return graph;
}

} // namespace IntlogTables
