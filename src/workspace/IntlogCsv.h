#pragma once

#include <string>
#include <vector>

#include "SensorIntlogRecord.h"

struct SensorParameters;

// "intlog.csv": the sensor's measurement log as the engineer saves it for a
// spreadsheet. windows-1251, CR LF, ";" between fields and a decimal comma
// written as such, the same bytes whatever the platform and the locale:
//
//   PID P:100 I:50 D:0          when the PID coefficients are known
//   ШИМ;R датчика               the quantities of the log, when known
//   3040;3968                   one line per record, its non-empty fields
//
// Without Qt, so that the command line can write the same file.
namespace IntlogCsv {

// The file's bytes. `columnNamesUtf8` are the quantity names of the log's
// columns, packed from the left (empty texts are left out); the heading
// line is written only when the log parameters are known and one name
// exists.
std::string Bytes(const SensorParameters& parameters, const std::vector<std::string>& columnNamesUtf8,
                  const std::vector<SensorIntlogRecord>& records);

// Creates or truncates `utf8Path` and writes `bytes`. On failure returns
// false with the system's reason in `error`; a partly written file is left
// as it is, so what reached the disk can still be looked at.
bool Write(const std::string& utf8Path, const std::string& bytes, std::string& error);

} // namespace IntlogCsv
