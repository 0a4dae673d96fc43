// Fuzzes what the sensor's text exchange takes from the device line: the
// answer line (joined from pieces, cut at CR LF and NUL, its keyword checked)
// and every way the command set takes an answer apart. With the check flag
// set, the bytes are made into one line ending in CR LF.
#include <memory>
#include <string>
#include <vector>

#include "FuzzLine.h"
#include "ModbusAsciiMaster.h"
#include "SensorCommandSet.h"
#include "SensorValueText.h"
#include "TextNumbers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    if (in.fixCheck) {
        in.bytes.push_back('\r');
        in.bytes.push_back('\n');
    }
    const std::string text(in.bytes.begin(), in.bytes.end());

    // The parsers on their own, with the whole text.
    std::vector<std::string> fields;
    for (std::size_t n = 0; n <= 4; ++n)
        SensorCommandSet::SplitFields(text, n, fields);
    SensorCommandSet::SplitMultigasList(text);
    SensorLogFields log;
    SensorCommandSet::SplitLogRecord(text, log);
    ParseDecimalInt(text);
    ParseDecimalReal(text);
    double number = 0;
    ParseSensorNumber(text, number, "%.1f");
    CheckSensorTextValue(text);
    ModbusAsciiMaster::Trim(text);

    // And through the line, as the line worker meets them.
    NoSleep clock;
    ModbusAsciiMaster master;
    master.SetTimeSource(&clock);
    if (!master.Open(std::make_unique<FuzzLine>(in.bytes, in.piece)))
        return 0;
    SensorCommandSet set(master);
    namespace C = SensorCommands;
    std::string value;
    std::uint8_t byte = 0;
    SensorReading reading;
    set.ReadText(C::kSerialNumber, value, false);
    set.ReadFields(C::kPV, fields, false);
    set.ReadFields(C::kCP, fields, false);
    set.ReadReading(C::kTH2, reading, false);
    set.ReadReading(C::kDW, reading, false);
    set.ReadModbusId(byte, false);
    set.ReadDaa(byte, false);
    set.ReadCoefficient(2, value, false);
    double held = 0;
    set.WriteLE("680429", 12.3, held, false);
    set.ReadLogRecord("680429", log);
    std::vector<std::string> items;
    set.ReadMultigasList(items, false);
    bool isError = false;
    master.RequestEither("@RRDT", "@RADT", "@ERDT 63,", value, isError, false);
    master.RequestRaw("@RRIS", value);
    return 0;
}
