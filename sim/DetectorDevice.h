#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "DeviceRegisters.h"
#include "LineDevice.h"
#include "LineFaults.h"
#include "MultigasState.h"
#include "RequestRecord.h"
#include "RingJournal.h"
#include "SensorModule.h"

// The gas detector with its sensor module, at the far end of the device
// line. Text command lines and Modbus RTU frames share the line: a text line
// starts with "@" and ends with CR LF; a Modbus frame is an eight-byte
// request with a valid CRC addressed to the detector's unit address (the
// one "@RRID" reports) or broadcast. Anything else is line noise and is
// skipped byte by byte, and a partial request is dropped when the line goes
// quiet, so the receive buffer never grows past one request.
class DetectorDevice : public LineDevice {
public:
    explicit DetectorDevice(std::shared_ptr<MultigasState> multigas = nullptr);

    void Feed(const std::uint8_t* data, std::size_t length, std::vector<SimAnswer>& answers) override;
    void LineIdle() override;

    // A key of the [detector] or [journal] section; returns an error text,
    // empty when taken. FinishSettings lays out the journals once all keys
    // are in.
    std::string ApplySetting(const std::string& section, const std::string& key, const std::string& value);
    std::string FinishSettings();

    LineFaults& Faults() { return faults_; }
    RequestRecord& Received() { return received_; }

    // State, for tests and for the executable's report.
    int Kind() const;
    std::string SensorType() const { return Parameter("KS"); }
    std::string Parameter(const std::string& code) const;
    void SetParameter(const std::string& code, const std::string& value);
    std::string FactoryParameter(const std::string& code) const;
    std::uint8_t UnitAddress() const;
    std::uint8_t HartAddress() const;
    std::string CalibrationPassword() const;
    std::string ManufacturerPassword() const;
    void SetPasswords(const std::string& calibration, const std::string& manufacturer);
    // Makes the reading of `code` (DT, ST, TH, RP, RH, SH, DW) answer its
    // error form with this binary word; an empty word clears it.
    void SetErrorWord(const std::string& code, const std::string& word);
    double ConcentrationNow() const;
    std::size_t LogLinesLeft() const;
    std::uint32_t ClockNow() const;
    double Threshold1() const;
    double Threshold2() const;
    std::uint8_t SoundMode() const;
    std::uint8_t O2Flag() const;
    std::uint8_t EcoMode() const;
    RingJournal EventJournal() const;
    RingJournal ThresholdJournal() const;
    std::size_t BufferedBytes() const;

    static constexpr std::size_t kMaxLine = 256;

private:
    double Seconds() const;
    void HandleLine(const std::string& line, std::vector<SimAnswer>& answers);
    void HandleFrame(const std::vector<std::uint8_t>& frame, std::vector<SimAnswer>& answers);

    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::shared_ptr<MultigasState> multigas_;
    mutable std::mutex mutex_;
    SensorModule sensor_;
    DeviceRegisters registers_;
    std::vector<std::uint8_t> buffer_;
    LineFaults faults_;
    RequestRecord received_;
};
