#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "MultiTextSlot.h"
#include "SensorCalibrationLoopMeasurementsPoint.h"
#include "SensorCommandRequest.h"
#include "SensorIntlogRecord.h"
#include "SensorKind.h"

struct SensorParameters;

// What the two measurement-log panels know about the sensor's log, without
// a window: which quantity each log parameter code names, where it goes on
// the graph, how the panel's lists map to codes and periods, and how the log
// becomes graph points. The sensor sends the selected quantities of a log
// line side by side, in the order of P1 to P3, leaving out those set to
// "нет"; the column captions, the graph and the saved file follow that.
namespace IntlogTables {

// Which of the two panels: the semiconductor sensor's or the power-balance
// thermocatalytic sensor's. Their code lists differ.
enum class Panel { Semi, TCatpwr };

// The period list, in milliseconds, top to bottom.
const std::array<int, 7>& PeriodsMs();

// A log parameter code as the sensor's text holds it: the leading decimal
// integer (blanks skipped, a sign, digits; none gives 0), clamped to int.
int Code(const std::string& text);

// The string number of the quantity `code` names on `panel`; 0 for none.
int NameId(Panel panel, int code);
// The graph slot of `code` for a sensor of `kind` (semiconductor or
// power-balance; any other kind has none); -1 for none.
int GraphSlot(SensorKind kind, int code);

// The string numbers of the P1 to P3 list items, top to bottom.
std::vector<int> ListItemIds(Panel panel);
// The list item that shows `code`.
int ListIndexOfCode(Panel panel, int code);
// The code that list item `index` stands for (an index outside the list
// counts as "нет").
int CodeOfListIndex(Panel panel, int index);

// The period item for the sensor's period text: the first item of at least
// the text's number plus 1 ms; -1 when no item is that long.
int PeriodIndexOf(const std::string& text);

// Write code 32 with the selected P1 to P3 items and period item; refused
// (code 0) when no period is selected, since the sensor would take a
// made-up period.
SensorCommandRequest LogParametersRequest(Panel panel, const std::array<int, 3>& listIndexes, int periodIndex);

// The log parameters hold at least one known quantity (codes 1 to 6), so
// there is a log worth creating or reading.
bool Configured(const MultiTextSlot<4>& lpValues);

// The quantity names of P1 to P3 packed from the left: the string numbers of
// the columns, 0 for a column without a quantity. Empty (all 0) when the
// log parameters are unknown.
std::array<int, 3> ColumnNameIds(Panel panel, const MultiTextSlot<4>& lpValues);

// The log graph's contents.
struct Graph {
    std::vector<SensorCalibrationLoopMeasurementsPoint> points;
    std::array<int, 4> series{-1, -1, -1, -1};
    int intervalMs = -1;
};

// The log as graph points: one point per record, the selected quantities in
// their slots, the time axis stepped by the sensor's period (its text plus
// 1 ms). No series unless the log has two records or more and the sensor's
// kind and log parameters are known.
Graph BuildGraph(const std::vector<SensorIntlogRecord>& records, const SensorParameters& parameters);

} // namespace IntlogTables
