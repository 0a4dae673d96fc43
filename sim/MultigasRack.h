#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "LineDevice.h"
#include "LineFaults.h"
#include "MultigasState.h"
#include "RequestRecord.h"

// The multigas rack's set switches on their own line: one Modbus RTU slave
// per set, unit address = set number (1 to the number of sets). Register
// 1012 of a set is its switch: writing 1 connects that set to the detector,
// 0 disconnects it; function 4 reads it back.
class MultigasRack : public LineDevice {
public:
    explicit MultigasRack(std::shared_ptr<MultigasState> state);

    void Feed(const std::uint8_t* data, std::size_t length, std::vector<SimAnswer>& answers) override;
    void LineIdle() override;

    // A key of the [multigas] section; returns an error text, empty when taken.
    std::string ApplySetting(const std::string& key, const std::string& value);

    MultigasState& State() { return *state_; }
    LineFaults& Faults() { return faults_; }
    RequestRecord& Received() { return received_; }
    std::size_t BufferedBytes() const;

    static constexpr std::uint16_t kSwitchRegister = 1012;

private:
    void HandleFrame(const std::vector<std::uint8_t>& frame, std::vector<SimAnswer>& answers);

    std::shared_ptr<MultigasState> state_;
    mutable std::mutex mutex_;
    std::vector<std::uint8_t> buffer_;
    LineFaults faults_;
    RequestRecord received_;
};
