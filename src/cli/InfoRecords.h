#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "DeviceParameters.h"
#include "HartParameters.h"
#include "JournalEntryText.h"
#include "SensorParameters.h"

// The engine's records as the command line shows and saves them: JSON with
// UTF-8 texts (a value the device did not give is null), and Russian text.
namespace InfoRecords {

using json = nlohmann::ordered_json;

json SensorJson(const SensorParameters& p);
json DeviceJson(const DeviceParameters& d);
json HartJson(const HartParameters& h);
// {"sensor": …, "detector": …, "hart": … or null when `hartRead` is false}.
json Json(const SensorParameters& p, const DeviceParameters& d, const HartParameters& h, bool hartRead);

// "Датчик", "Прибор", "HART" blocks, one "label: value" line per field.
std::string Text(const json& info);
// summary.txt of the service report.
std::string Summary(const json& info, const std::vector<std::string>& journals,
                    const std::vector<JournalEntryText>& eventsNewestFirst, const std::vector<std::string>& failures);

// A parameter by its re-read or write code.
struct CodeValue {
    bool known = false;  // the code names a parameter kept in the record
    bool valid = false;  // the sensor gave it
    bool error = false;  // the sensor answered with its error form
    std::string text;    // windows-1251, several values separated by blanks
};
bool KnownReadCode(int code);
CodeValue ReadCodeValue(const SensorParameters& p, int code);
CodeValue WriteCodeValue(const SensorParameters& p, int code);

} // namespace InfoRecords
