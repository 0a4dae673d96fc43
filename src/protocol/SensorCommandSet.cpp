#include "SensorCommandSet.h"

#include <cstdio>

#include "ModbusAsciiMaster.h"
#include "SensorValueText.h"
#include "TextNumbers.h"

namespace {

std::string CoefficientKeyword(const char* prefix, unsigned index)
{
    char keyword[16];
    std::snprintf(keyword, sizeof keyword, "%s%u", prefix, index);
    return keyword;
}

} // namespace

SensorCommandSet::SensorCommandSet(ModbusAsciiMaster& master) : master_(master) {}

std::string SensorCommandSet::BuildLine(const std::string& keyword, const std::vector<std::string>& arguments)
{
    std::string line = keyword;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        line += i == 0 ? ' ' : ',';
        line += arguments[i];
    }
    return line;
}

bool SensorCommandSet::SplitFields(const std::string& text, std::size_t count, std::vector<std::string>& fields)
{
    if (count == 0)
        return false;
    std::vector<std::string> parsed;
    parsed.reserve(count);
    std::string rest = text;
    for (std::size_t i = 0; i + 1 < count; ++i) {
        const std::size_t comma = rest.find(',');
        if (comma == std::string::npos)
            return false;
        std::string field = ModbusAsciiMaster::Trim(rest.substr(0, comma));
        if (field.empty())
            return false;
        parsed.push_back(std::move(field));
        rest.erase(0, comma + 1);
    }
    parsed.push_back(ModbusAsciiMaster::Trim(rest));
    fields = std::move(parsed);
    return true;
}

std::vector<std::string> SensorCommandSet::SplitMultigasList(const std::string& text)
{
    std::vector<std::string> items;
    std::string rest = text;
    for (;;) {
        const std::size_t comma = rest.find(',');
        // A comma at the very start of the remainder is not a separator: the
        // remainder, comma and all, is the last item.
        if (comma == std::string::npos || comma == 0)
            break;
        items.push_back(ModbusAsciiMaster::Trim(rest.substr(0, comma)));
        rest.erase(0, comma + 1);
    }
    std::string last = ModbusAsciiMaster::Trim(rest);
    if (!last.empty())
        items.push_back(std::move(last));
    return items;
}

bool SensorCommandSet::SplitLogRecord(const std::string& text, SensorLogFields& fields)
{
    const std::string line = ModbusAsciiMaster::Trim(text);
    if (line.empty() || line[0] == '@')
        return false;
    SensorLogFields parsed;
    std::size_t start = 0;
    for (std::size_t i = 0; i < parsed.size() && start <= line.size(); ++i) {
        const std::size_t semicolon = line.find(';', start);
        const std::size_t end = semicolon == std::string::npos ? line.size() : semicolon;
        parsed[i] = ModbusAsciiMaster::Trim(line.substr(start, end - start));
        if (semicolon == std::string::npos)
            break;
        start = semicolon + 1;
    }
    fields = std::move(parsed);
    return true;
}

bool SensorCommandSet::Unsendable(const std::string& password, const std::vector<std::string>& values)
{
    if (password.empty() || CheckSensorTextValue(password) != SensorValueProblem::None)
        return true;
    for (const std::string& value : values) {
        if (value.empty() || CheckSensorTextValue(value) != SensorValueProblem::None)
            return true;
    }
    return false;
}

bool SensorCommandSet::ReadText(const SensorTextRead& command, std::string& value, bool retry)
{
    return master_.Request(command.request, command.answer, value, retry);
}

bool SensorCommandSet::ReadFields(const SensorFieldRead& command, std::vector<std::string>& fields, bool retry)
{
    std::string answer;
    if (!master_.Request(command.request, command.answer, answer, retry))
        return false;
    return SplitFields(answer, command.fields, fields);
}

bool SensorCommandSet::ReadReading(const SensorReadingRead& command, SensorReading& reading, bool retry)
{
    if (command.fields == 0 || command.fields > SensorReading::kMaxValues)
        return false;
    std::string answer;
    bool isError = false;
    if (!master_.RequestEither(command.request, command.answer, command.error, answer, isError, retry))
        return false;
    SensorReading parsed;
    if (isError) {
        // The sensor reports why it has no value; there is nothing to split.
        parsed.isError = true;
        parsed.errorText = answer;
    } else if (command.fields == 1) {
        parsed.values[0] = answer;
    } else {
        std::vector<std::string> fields;
        if (!SplitFields(answer, command.fields, fields))
            return false;
        for (std::size_t i = 0; i < fields.size(); ++i)
            parsed.values[i] = std::move(fields[i]);
    }
    reading = std::move(parsed);
    return true;
}

bool SensorCommandSet::WriteText(const SensorTextWrite& command, const std::string& password,
                                 const std::string& value, std::string& held, bool retry)
{
    if (Unsendable(password, {value}))
        return false;
    return master_.Request(BuildLine(command.request, {password, value}), command.answer, held, retry);
}

bool SensorCommandSet::WriteFields(const SensorFieldWrite& command, const std::string& password,
                                   const std::vector<std::string>& values, std::vector<std::string>& fields,
                                   bool retry)
{
    if (values.size() != command.values || Unsendable(password, values))
        return false;
    std::vector<std::string> arguments;
    arguments.reserve(values.size() + 1);
    arguments.push_back(password);
    arguments.insert(arguments.end(), values.begin(), values.end());
    std::string answer;
    if (!master_.Request(BuildLine(command.request, arguments), command.answer, answer, retry))
        return false;
    return SplitFields(answer, command.fields, fields);
}

bool SensorCommandSet::ReadInteger(const char* request, const char* answer, long long& value, bool retry)
{
    std::string text;
    if (!master_.Request(request, answer, text, retry) || text.empty())
        return false;
    value = ParseDecimalInt(text);
    return true;
}

bool SensorCommandSet::ReadModbusId(std::uint8_t& id, bool retry)
{
    long long value = 0;
    if (!ReadInteger("@RRID", "@RAID", value, retry))
        return false;
    id = static_cast<std::uint8_t>(static_cast<unsigned long long>(value) & 0xFFu);
    return true;
}

bool SensorCommandSet::ReadHartId(std::uint8_t& address, bool retry)
{
    long long value = 0;
    if (!ReadInteger("@RRHA", "@RAHA", value, retry))
        return false;
    address = static_cast<std::uint8_t>(static_cast<unsigned long long>(value) & 0xFFu);
    return true;
}

bool SensorCommandSet::ReadDaa(std::uint8_t& value, bool retry)
{
    long long read = 0;
    if (!ReadInteger("@RDAA", "@ADAA", read, retry))
        return false;
    value = read < 0 || read > 255 ? 255 : static_cast<std::uint8_t>(read);
    return true;
}

bool SensorCommandSet::ReadCoefficient(unsigned index, std::string& value, bool retry)
{
    if (index >= kCoefficientCount)
        return false;
    return master_.Request(CoefficientKeyword("@RRK", index), CoefficientKeyword("@RAK", index), value, retry);
}

bool SensorCommandSet::WriteCoefficient(unsigned index, const std::string& password, const std::string& value,
                                        std::string& held, bool retry)
{
    if (index >= kCoefficientCount || Unsendable(password, {value}))
        return false;
    return master_.Request(BuildLine(CoefficientKeyword("@WCK", index), {password, value}),
                           CoefficientKeyword("@RAK", index), held, retry);
}

bool SensorCommandSet::WriteLE(const std::string& password, double value, double& held, bool retry)
{
    // "%.1f" in the C notation whatever the user's locale: 12.345 goes as 12.3.
    // A number too large for the field is refused, not cut.
    std::string text;
    if (!TryFormatC("%.1f", value, kSensorNumberTextMax, text) || Unsendable(password, {text}))
        return false;
    std::string answer;
    if (!master_.Request(BuildLine("@WCLE", {password, text}), "@RALE", answer, retry))
        return false;
    held = ParseDecimalReal(answer);
    return true;
}

bool SensorCommandSet::SaveFactorySettings(const std::string& manufacturerPassword, bool retry)
{
    std::string answer;
    return master_.Request(BuildLine("@WMMC", {manufacturerPassword, "1"}), "@RAMC", answer, retry);
}

bool SensorCommandSet::LoadFactorySettings(const std::string& calibrationPassword, bool retry)
{
    std::string answer;
    return master_.Request(BuildLine("@CSMC", {calibrationPassword, "1"}), "@RAMC", answer, retry);
}

bool SensorCommandSet::ReadLogRecord(const std::string& calibrationPassword, SensorLogFields& fields)
{
    if (calibrationPassword.empty())
        return false;
    std::string answer;
    if (!master_.Request(BuildLine("@WCL1", {calibrationPassword, "1"}), std::string(), answer, false))
        return false;
    return SplitLogRecord(answer, fields);
}

bool SensorCommandSet::SelectMultigasChannel(const std::string& channel, std::string& answer, bool retry)
{
    if (channel.empty() || CheckSensorTextValue(channel) != SensorValueProblem::None)
        return false;
    return master_.Request(BuildLine("@MWCH", {channel}), "@MACH", answer, retry);
}

bool SensorCommandSet::ReadMultigasList(std::vector<std::string>& items, bool retry)
{
    std::string answer;
    if (!master_.Request("@MRDF", "@MADF", answer, retry))
        return false;
    items = SplitMultigasList(answer);
    return true;
}
