#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "LiveSignal.h"
#include "MultigasState.h"

// The sensor module inside the detector, as it answers the text commands on
// the device line: identification, the settings of its sensor kind, live
// readings with their error forms, writes and calibration actions checked
// against its two passwords, factory settings, its internal measurement log
// and the multigas channel report. Not thread-safe: the detector guards it.
class SensorModule {
public:
    // The ten sensor kinds by their type names, kind code = index + 1.
    static const std::vector<std::string>& KindNames();
    // Kind code 1 to 10 for a type name (case-insensitive; "ElchLP" is an
    // electrochemical cell too), 0 when unknown.
    static int KindOf(const std::string& typeName);

    explicit SensorModule(std::shared_ptr<MultigasState> multigas);

    // Loads the defaults of a kind: all settings, identification and live
    // readings as a module of that kind leaves the factory.
    std::string SetKind(const std::string& typeName);
    int Kind() const { return kind_; }

    // A [detector] scenario key; returns an error text, empty when taken.
    // Returns "?" when the key is not the sensor's.
    std::string ApplySetting(const std::string& key, const std::string& value, double seconds);

    // The answer to one command line (without CR LF); nothing for silence.
    std::optional<std::string> Answer(const std::string& line, double seconds);

    // State for tests and for the detector's registers.
    bool HasParameter(const std::string& code) const;
    std::string Parameter(const std::string& code) const;
    void SetParameter(const std::string& code, const std::string& value);
    std::string FactoryParameter(const std::string& code) const;
    std::uint8_t ModbusId() const { return modbusId_; }
    std::uint8_t HartAddress() const { return hartAddress_; }
    const std::string& CalibrationPassword() const { return calibrationPassword_; }
    const std::string& ManufacturerPassword() const { return manufacturerPassword_; }
    void SetPasswords(const std::string& calibration, const std::string& manufacturer);
    // Binary error word reported by "@ER<code> 63,"; empty clears it.
    void SetErrorWord(const std::string& code, const std::string& word);
    double ConcentrationMean(double seconds) const;
    double Concentration(double seconds);
    std::size_t LogLinesLeft() const { return log_.size(); }

    // Refusal lines: a command the module does not take, a wrong or missing
    // password, a bad argument, and the end of the measurement log.
    static constexpr const char* kRefuseCommand = "@NACK CMD";
    static constexpr const char* kRefusePassword = "@NACK PW";
    static constexpr const char* kRefuseArgument = "@NACK ARG";
    static constexpr const char* kRefuseLog = "@NACK LOG";

private:
    struct Reading {
        std::vector<LiveSignal> signals;
        int decimals = 2;
        bool errorForm = false;
    };

    std::optional<std::string> ReadCommand(const std::string& code, double seconds);
    std::optional<std::string> WriteCommand(const std::string& code, const std::vector<std::string>& args, double seconds);
    std::optional<std::string> CalibrationCommand(const std::string& code, const std::vector<std::string>& args, double seconds);
    std::string ReadingText(const std::string& code, double seconds);
    bool HeaterOn() const;
    double Number(const std::string& code, std::size_t field, double fallback) const;
    void StartLog(double seconds);

    std::shared_ptr<MultigasState> multigas_;
    int kind_ = 5;
    std::uint8_t modbusId_ = 1;
    std::uint8_t hartAddress_ = 0;
    int daa_ = 1;
    std::string calibrationPassword_ = "680429";
    std::string manufacturerPassword_ = "47093518";
    std::map<std::string, std::string> params_;
    std::map<std::string, std::string> factory_;
    std::map<std::string, Reading> readings_;
    std::map<std::string, std::string> errorWords_;
    std::deque<std::string> log_;
    std::size_t logRecords_ = 12;
    std::mt19937 rng_{20240611};
};
