#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ModbusAsciiMaster;

// The sensor's text commands on top of the text exchange of
// ModbusAsciiMaster. The class knows what goes over the line and
// how the answer is taken apart; which retry flag a command gets, and where a
// value is stored, is the line worker's business.
//
// Commands that share a form are described by small records (request keyword,
// answer keyword, error keyword, field counts) collected in the namespace
// SensorCommands below, and are issued by one operation per form:
//
//     std::string serial;
//     commands.ReadText(SensorCommands::kSerialNumber, serial, false);
//
// Commands with a form of their own (integer reads, coefficients, the real
// "@WCLE", factory settings, the log record, the multigas commands) have named
// operations.
//
// Every operation returns true on success. On false its outputs are left
// unchanged. Nothing throws on a line problem.

// A read whose answer is one text value, kept as the sensor sent it.
struct SensorTextRead {
    const char* request;
    const char* answer;
};

// A read whose answer is a list of `fields` comma-separated fields.
struct SensorFieldRead {
    const char* request;
    const char* answer;
    std::size_t fields;
};

// A read of a measured value. The sensor may answer with the error keyword
// ("@ERDT 63," and its siblings) instead of a value. The normal answer is one
// text value (`fields` 1) or a list of `fields` fields.
struct SensorReadingRead {
    const char* request;
    const char* answer;
    const char* error;
    std::size_t fields;
};

// A write or calibration action with the calibration password and one value.
// The sensor answers with the value it now holds.
struct SensorTextWrite {
    const char* request;
    const char* answer;
};

// A write or calibration action with the calibration password and `values`
// values. The answer is a list of `fields` fields.
struct SensorFieldWrite {
    const char* request;
    const char* answer;
    std::size_t values;
    std::size_t fields;
};

// What a measured-value read hands back. With an ordinary answer `values`
// holds the fields in answer order (those beyond the command's count empty),
// isError is false and errorText is empty. With the error answer the values
// are empty, isError is true and errorText holds the text after "63,".
struct SensorReading {
    static constexpr std::size_t kMaxValues = 3;
    std::array<std::string, kMaxValues> values;
    bool isError = false;
    std::string errorText;
};

// One record of the sensor's internal measurement log ("@WCL1"): up to three
// texts, those not sent left empty.
using SensorLogFields = std::array<std::string, 3>;

namespace SensorCommands {

// Identification and configuration reads, one text value each.
inline constexpr SensorTextRead kSerialNumber{"@RRIS", "@RAIS"};
inline constexpr SensorTextRead kManufactureDate{"@RRDS", "@RADS"};
inline constexpr SensorTextRead kCalibrationDate{"@RRCD", "@RACD"};
inline constexpr SensorTextRead kAnalyteCode{"@RRCA", "@RACA"};
inline constexpr SensorTextRead kUnits{"@RRUT", "@RAUT"};
inline constexpr SensorTextRead kUpperLimit{"@RRCH", "@RACH"};
inline constexpr SensorTextRead kLowerLimit{"@RRCL", "@RACL"};
inline constexpr SensorTextRead kManufacturer{"@RRIM", "@RAIM"};
inline constexpr SensorTextRead kSensorType{"@RRKS", "@RAKS"};
inline constexpr SensorTextRead kSoftwareVersion{"@RRSS", "@RASS"};
inline constexpr SensorTextRead kLE{"@RRLE", "@RALE"};
inline constexpr SensorTextRead kC1{"@RRC1", "@RAC1"};
inline constexpr SensorTextRead kC2{"@RRC2", "@RAC2"};
inline constexpr SensorTextRead kV1{"@RRV1", "@RAV1"};
inline constexpr SensorTextRead kV2{"@RRV2", "@RAV2"};
inline constexpr SensorTextRead kS1{"@RRS1", "@RAS1"};
inline constexpr SensorTextRead kS2{"@RRS2", "@RAS2"};
inline constexpr SensorTextRead kSettingAV{"@RRAV", "@RAAV"};
inline constexpr SensorTextRead kSettingRG{"@RRRG", "@RARG"};
inline constexpr SensorTextRead kSettingRL{"@RRRL", "@RARL"};
inline constexpr SensorTextRead kSettingBS{"@RRBS", "@RABS"};
inline constexpr SensorTextRead kSettingSB{"@RRSB", "@RASB"};
inline constexpr SensorTextRead kSettingIZ{"@RRIZ", "@RAIZ"};
inline constexpr SensorTextRead kSettingRS{"@RRRS", "@RARS"};
inline constexpr SensorTextRead kSettingMD{"@RRMD", "@RAMD"};
inline constexpr SensorTextRead kSettingFS{"@RRFS", "@RAFS"};
inline constexpr SensorTextRead kSettingU0{"@RRU0", "@RAU0"};
inline constexpr SensorTextRead kSettingKK{"@RRKK", "@RAKK"};
inline constexpr SensorTextRead kSettingUL{"@RRUL", "@RAUL"};
inline constexpr SensorTextRead kHeater{"@RRWH", "@RAWH"};
inline constexpr SensorTextRead kBB{"@RRBB", "@RABB"};
inline constexpr SensorTextRead kBR{"@RRBR", "@RABR"};
inline constexpr SensorTextRead kTG{"@RRTG", "@RATG"};
inline constexpr SensorTextRead kA1{"@RRA1", "@RAA1"};
inline constexpr SensorTextRead kKT{"@RRKT", "@RAKT"};
inline constexpr SensorTextRead kT0{"@RRT0", "@RAT0"};
inline constexpr SensorTextRead kH0{"@RRH0", "@RAH0"};
inline constexpr SensorTextRead kMG{"@RRMG", "@RAMG"};
inline constexpr SensorTextRead kMP{"@RRMP", "@RAMP"};
// "@RRR0" taken as one value, R(t=20); kR0Pair is the two-heater form.
inline constexpr SensorTextRead kR0{"@RRR0", "@RAR0"};
// The detector's software identification, "name,number,identifier" as one
// text: the device page splits it (SplitFields with 3).
inline constexpr SensorTextRead kSoftwareId{"@RDSF", "@ADSF"};

// Measured values without an error answer.
inline constexpr SensorTextRead kAdc{"@RRDV", "@RADV"};
inline constexpr SensorTextRead kPW{"@RRPW", "@RAPW"};
// The concentration read with plain Request: the error answer is a failure.
inline constexpr SensorTextRead kConcentrationPlain{"@RRDT", "@RADT"};

// Reads whose answer is a field list.
inline constexpr SensorFieldRead kPI{"@RRPI", "@RAPI", 3};
inline constexpr SensorFieldRead kCP{"@RRCP", "@RACP", 4};
inline constexpr SensorFieldRead kLP{"@RRLP", "@RALP", 4};
inline constexpr SensorFieldRead kR0Pair{"@RRR0", "@RAR0", 2};
inline constexpr SensorFieldRead kPV{"@RRPV", "@RAPV", 3};

// Measured values with an error answer.
inline constexpr SensorReadingRead kConcentration{"@RRDT", "@RADT", "@ERDT 63,", 1};
inline constexpr SensorReadingRead kSensorTemperature{"@RRST", "@RAST", "@ERST 63,", 1};
inline constexpr SensorReadingRead kTH{"@RRTH", "@RATH", "@ERTH 63,", 1};
inline constexpr SensorReadingRead kTH2{"@RRTH", "@RATH", "@ERTH 63,", 2};
inline constexpr SensorReadingRead kRP{"@RRRP", "@RARP", "@ERRP 63,", 1};
inline constexpr SensorReadingRead kRH{"@RRRH", "@RARH", "@ERRH 63,", 1};
inline constexpr SensorReadingRead kRH2{"@RRRH", "@RARH", "@ERRH 63,", 2};
inline constexpr SensorReadingRead kSH{"@RRSH", "@RASH", "@ERSH 63,", 1};
inline constexpr SensorReadingRead kDW{"@RRDW", "@RADW", "@ERDW 63,", 3};

// Writes and calibration actions with the calibration password and one value.
inline constexpr SensorTextWrite kWriteV1{"@WCV1", "@RAV1"};
inline constexpr SensorTextWrite kWriteV2{"@WCV2", "@RAV2"};
inline constexpr SensorTextWrite kWriteS1{"@WCS1", "@RAS1"};
inline constexpr SensorTextWrite kWriteS2{"@WCS2", "@RAS2"};
inline constexpr SensorTextWrite kCalibrateC1{"@CSC1", "@RAC1"};
inline constexpr SensorTextWrite kCalibrateC2{"@CSC2", "@RAC2"};
inline constexpr SensorTextWrite kWriteAV{"@WCAV", "@RAAV"};
inline constexpr SensorTextWrite kWriteRG{"@WCRG", "@RARG"};
inline constexpr SensorTextWrite kWriteRL{"@WCRL", "@RARL"};
inline constexpr SensorTextWrite kWriteBS{"@WCBS", "@RABS"};
inline constexpr SensorTextWrite kWriteSB{"@WCSB", "@RASB"};
inline constexpr SensorTextWrite kWriteIZ{"@WCIZ", "@RAIZ"};
inline constexpr SensorTextWrite kWriteRS{"@WCRS", "@RARS"};
inline constexpr SensorTextWrite kWriteMD{"@WCMD", "@RAMD"};
inline constexpr SensorTextWrite kWriteFS{"@WCFS", "@RAFS"};
inline constexpr SensorTextWrite kWriteU0{"@WCU0", "@RAU0"};
inline constexpr SensorTextWrite kWriteKK{"@WCKK", "@RAKK"};
inline constexpr SensorTextWrite kWriteUL{"@WCUL", "@RAUL"};
inline constexpr SensorTextWrite kWriteHeater{"@WCWH", "@RAWH"};
inline constexpr SensorTextWrite kWriteBR{"@WCBR", "@RABR"};
inline constexpr SensorTextWrite kWriteTG{"@WCTG", "@RATG"};
inline constexpr SensorTextWrite kWriteA1{"@WCA1", "@RAA1"};
inline constexpr SensorTextWrite kWriteKT{"@WCKT", "@RAKT"};
inline constexpr SensorTextWrite kWriteT0{"@WCT0", "@RAT0"};
inline constexpr SensorTextWrite kWriteH0{"@WCH0", "@RAH0"};
inline constexpr SensorTextWrite kWriteMG{"@WCMG", "@RAMG"};
inline constexpr SensorTextWrite kWriteMP{"@WCMP", "@RAMP"};
// "Балансировать": the answer carries the new bridge balance.
inline constexpr SensorTextWrite kBalanceBridge{"@CSBB", "@RABB"};

// Writes and calibration actions whose answer is a field list.
inline constexpr SensorFieldWrite kWritePI{"@WCPI", "@RAPI", 3, 3};
inline constexpr SensorFieldWrite kWriteCP{"@WCCP", "@RACP", 4, 4};
inline constexpr SensorFieldWrite kWriteLP{"@WCLP", "@RALP", 4, 4};
// A new internal measurement log: start condition and channel.
inline constexpr SensorFieldWrite kCreateLog{"@WCLS", "@RALS", 2, 2};
// Resistance calibration at the entered temperature. One-heater sensors
// answer R(t=20), R(изм); two-heater sensors the CAT and PLT pairs.
inline constexpr SensorFieldWrite kCalibrateR0Pair{"@CSR0", "@RAR0", 1, 2};
inline constexpr SensorFieldWrite kCalibrateR0Quad{"@CSR0", "@RAR0", 1, 4};

// The twelve electrochemical settings in table order (AV, RG, RL, BS, SB, IZ,
// RS, MD, FS, U0, KK, UL): the line worker's re-read codes 4..15 and
// write codes 5..16 run through them in this order.
inline constexpr std::array<SensorTextRead, 12> kSettingReads{
    kSettingAV, kSettingRG, kSettingRL, kSettingBS, kSettingSB, kSettingIZ,
    kSettingRS, kSettingMD, kSettingFS, kSettingU0, kSettingKK, kSettingUL};
inline constexpr std::array<SensorTextWrite, 12> kSettingWrites{
    kWriteAV, kWriteRG, kWriteRL, kWriteBS, kWriteSB, kWriteIZ,
    kWriteRS, kWriteMD, kWriteFS, kWriteU0, kWriteKK, kWriteUL};

} // namespace SensorCommands

class SensorCommandSet {
public:
    // Thermal-correction polynomial coefficients K0 .. K4.
    static constexpr unsigned kCoefficientCount = 5;

    explicit SensorCommandSet(ModbusAsciiMaster& master);

    // --- Commands that share a form -------------------------------------

    // One text value: the answer after the keyword, trimmed; it may be empty.
    bool ReadText(const SensorTextRead& command, std::string& value, bool retry);

    // A field list of command.fields fields (SplitFields).
    bool ReadFields(const SensorFieldRead& command, std::vector<std::string>& fields, bool retry);

    // A measured value or the error answer. The error answer is a success
    // with reading.isError set.
    bool ReadReading(const SensorReadingRead& command, SensorReading& reading, bool retry);

    // "<request> <password>,<value>". Sends nothing and fails when the
    // password or the value is empty. `held` receives the answer's value.
    bool WriteText(const SensorTextWrite& command, const std::string& password, const std::string& value,
                   std::string& held, bool retry);

    // "<request> <password>,<v1>,...,<vn>" with n = command.values. Sends
    // nothing and fails when the password or any value is empty, or when
    // `values` does not hold exactly command.values texts. `fields` receives
    // the command.fields fields of the answer.
    bool WriteFields(const SensorFieldWrite& command, const std::string& password,
                     const std::vector<std::string>& values, std::vector<std::string>& fields, bool retry);

    // --- Integer reads ---------------------------------------------------
    // An empty answer fails. A value without digits reads as 0.

    // "@RRID": the detector's Modbus identifier, low eight bits (300 -> 44).
    bool ReadModbusId(std::uint8_t& id, bool retry);
    // "@RRHA": the HART polling address, low eight bits.
    bool ReadHartId(std::uint8_t& address, bool retry);
    // "@RDAA": a one-byte detector setting; below 0 or above 255 gives 255.
    bool ReadDaa(std::uint8_t& value, bool retry);

    // --- Coefficients K0 .. K4 ("@RRK%u", "@WCK%u", answer "@RAK%u") --------
    // An index of kCoefficientCount or above is refused: nothing is sent.

    bool ReadCoefficient(unsigned index, std::string& value, bool retry);
    bool WriteCoefficient(unsigned index, const std::string& password, const std::string& value, std::string& held,
                          bool retry);

    // --- Commands with a form of their own -------------------------------

    // "@WCLE <password>,<value as %.1f>" (12.345 goes as 12.3, whatever the
    // user's locale). `held` receives the answer read as a real number.
    // Sends nothing and fails when the password is empty.
    bool WriteLE(const std::string& password, double value, double& held, bool retry);

    // "@WMMC <password>,1" with the manufacturer password: store the current
    // settings as the sensor's factory settings. The password is sent as it
    // is, even empty: the sensor judges it.
    bool SaveFactorySettings(const std::string& manufacturerPassword, bool retry);
    // "@CSMC <password>,1" with the calibration password: load the factory
    // settings. The password is sent as it is, even empty.
    bool LoadFactorySettings(const std::string& calibrationPassword, bool retry);

    // "@WCL1 <password>,1": the next record of the sensor's internal log. Any
    // answer keyword is taken; an empty answer or one that begins with "@"
    // (a refusal) fails. Always one try: the log is read record by record and
    // a repeated command would skip one. Sends nothing when the password is
    // empty.
    bool ReadLogRecord(const std::string& calibrationPassword, SensorLogFields& fields);

    // "@MWCH <channel>" (decimal text 1..12, no password): the multigas
    // channel the sensor reports. `answer` receives the text after "@MACH".
    // Sends nothing when the channel text is empty.
    bool SelectMultigasChannel(const std::string& channel, std::string& answer, bool retry);

    // "@MRDF": the multigas channel list after "@MADF" (SplitMultigasList).
    // "@MADF" alone gives an empty list and succeeds.
    bool ReadMultigasList(std::vector<std::string>& items, bool retry);

    // --- The line and answer rules, for the callers and the tests --------

    // The request line: the keyword, then, with arguments, one blank and the
    // arguments separated by commas, nothing else.
    static std::string BuildLine(const std::string& keyword, const std::vector<std::string>& arguments);

    // Field list: for each field but the last, the first comma of
    // the rest must exist and the text before it, trimmed, is the field; it
    // must not be empty (a comma first, or only blanks before it). The last
    // field is the whole rest, trimmed, commas included, and may be empty.
    // False (fields unchanged) when a comma is missing or a field before a
    // comma is empty; count 0 is false.
    static bool SplitFields(const std::string& text, std::size_t count, std::vector<std::string>& fields);

    // The "@MRDF" list: trimmed items cut at each comma; a remainder that is
    // empty adds no item (a trailing comma adds none); a remainder that begins
    // with a comma ends the cutting and is itself the last item, trimmed.
    static std::vector<std::string> SplitMultigasList(const std::string& text);

    // The "@WCL1" record: false for an empty text or one that begins with "@";
    // else up to three ";"-separated fields, each trimmed, the rest after a
    // third ";" ignored.
    static bool SplitLogRecord(const std::string& text, SensorLogFields& fields);

private:
    // The password or a value is empty, or would break the command line (a
    // comma splits a field, a line break ends the command): nothing is sent.
    static bool Unsendable(const std::string& password, const std::vector<std::string>& values);
    bool ReadInteger(const char* request, const char* answer, long long& value, bool retry);

    ModbusAsciiMaster& master_;
};
