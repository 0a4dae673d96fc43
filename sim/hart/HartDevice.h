#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "HartFrame.h"
#include "HartRequestReader.h"
#include "LineDevice.h"

// What the simulated field device is: identity, texts, measurement, ranges.
struct HartDeviceSettings {
    std::uint8_t pollingAddress = 0;           // 0..63
    std::uint8_t manufacturerId = 0x2A;        // 0..63: top of the expanded device type
    std::uint8_t deviceType = 0x51;
    std::uint32_t deviceId = 0x0012AB;         // 24 bits
    std::uint8_t universalRevision = 7;
    std::uint8_t deviceRevision = 1;
    std::uint8_t softwareRevision = 3;
    std::uint8_t hardwareRevision = 2;         // 0..31
    std::uint8_t requestPreambles = 5;         // what the device asks masters to send
    std::uint8_t responsePreambles = 5;        // what it sends itself
    std::uint8_t deviceStatus = 0;             // status bits always set (0x80 malfunction, 0x10 more status...)
    std::uint16_t configChangeCounter = 0;

    std::string tag = "GD-0001";               // packed, 8 characters
    std::string descriptor = "GAS DETECTOR";   // packed, 16 characters
    std::uint8_t day = 15;
    std::uint8_t month = 3;
    std::uint16_t year = 2024;                 // 1900..2155
    std::string message = "CALIBRATED";        // packed, 32 characters
    std::string longTag = "Gas detector, boiler room 2";  // Latin-1, 32 bytes

    double pv = 25.0;
    std::uint8_t pvUnit = 139;                 // ppm
    double pvNoise = 0.1;                      // step of the wandering around pv; 0 holds pv exactly
    double rangeLower = 0.0;                   // pv at 4 mA
    double rangeUpper = 100.0;                 // pv at 20 mA
    std::optional<double> loopCurrent;         // mA; unset: follows pv over the range
    std::uint8_t loopCurrentMode = 1;          // 0: multidrop, the current is parked and cannot be fixed

    std::uint32_t sensorSerial = 0x044001;     // 24 bits
    double sensorUpper = 100.0;
    double sensorLower = 0.0;
    double sensorMinSpan = 10.0;

    bool noCommand20 = false;                  // an older device without the long tag

    std::uint16_t ExpandedDeviceType() const
    {
        return static_cast<std::uint16_t>((manufacturerId & 0x3F) << 8 | deviceType);
    }

    bool operator==(const HartDeviceSettings&) const = default;
};

// Misbehaviour of the device's answers. They apply to every request addressed
// to the device (or only to `command`), for the next `count` of them; after
// that the device behaves again.
struct HartFaults {
    bool silent = false;                  // hears the request, does nothing, answers nothing
    std::uint32_t delayMs = 0;            // before the answer starts
    std::size_t splitBytes = 0;           // answer in pieces of this many bytes; 0: in one piece
    std::uint32_t splitGapMs = 0;         // between the pieces
    std::vector<std::uint8_t> garbage;    // line noise before the preambles
    bool badCheckByte = false;            // one bit of the check byte flipped
    bool burstBit = false;                // the address comes back with the burst-mode bit
    std::uint8_t responseCode = 0;        // refused with this code: no data, command not carried out
    int command = -1;                     // -1: every command
    int count = -1;                       // -1: for good

    bool Any() const
    {
        return silent || delayMs != 0 || splitBytes != 0 || !garbage.empty() || badCheckByte || burstBit ||
               responseCode != 0;
    }

    bool operator==(const HartFaults&) const = default;
};

// One request frame heard on the line with a good check byte.
struct HartRecordedFrame {
    std::uint8_t command = 0;
    bool longAddress = false;
    std::vector<std::uint8_t> address;    // as received, master bit included
    std::vector<std::uint8_t> data;
    bool addressed = false;               // meant for this device
};

// A HART field device behind the modem: answers the universal and common
// commands a setup tool reads (0, 1, 2, 3, 7, 12, 13, 14, 20) and fixes the
// loop current (40); every other command gets response code 64. A current
// fixed by command 40 stays until a command 40 with 0 mA releases it (or the
// fixed_current key does), and commands 2 and 3 report it meanwhile.
//
// Scenario keys (ApplyScenarioKey; numbers in C notation, integers decimal
// or 0x-hex, flags 0/1/true/false/yes/no/on/off):
//   polling_address      0..63
//   manufacturer_id      0..63, with device_type the expanded device type
//   device_type          0..255
//   device_id            0..0xFFFFFF
//   universal_revision, device_revision, software_revision   0..255
//   hardware_revision    0..31
//   request_preambles, response_preambles                     2..20
//   device_status        field-device status bits always set, 0..255
//   config_change_counter 0..65535
//   tag                  up to 8 packed-ASCII characters (blank to "_"; lower case is sent as capitals)
//   descriptor           up to 16 packed-ASCII characters
//   date                 DD.MM.YYYY, year 1900..2155
//   message              up to 32 packed-ASCII characters
//   long_tag             up to 32 characters of Latin-1 (the file's UTF-8 is converted)
//   pv                   primary value
//   pv_unit              HART unit code 0..255; the tool names 139 ppm, 146 and 171 mg/m3,
//                        149 %vol, 161 %LEL, 170 g/m3
//   pv_noise             step of the wandering around pv, >= 0 (0: pv exactly)
//   range_lower, range_upper   pv at 4 mA and at 20 mA
//   loop_current         mA, or "auto" to follow pv over the range
//   loop_current_mode    0 or 1 (0: multidrop, command 40 refused with 11)
//   fixed_current        mA (3.5..23) to hold the loop at as command 40 would; 0 releases it
//   sensor_serial        0..0xFFFFFF (0x044001 reads as 01010001)
//   sensor_upper, sensor_lower, sensor_min_span   transducer limits (command 14)
//   no_command_20        flag: the device lacks the long tag
//   fault_silent         flag
//   fault_delay_ms       0..600000
//   fault_split_bytes    0..1000 (0: one piece)
//   fault_split_gap_ms   0..600000
//   fault_garbage        hex bytes before the answer, "00 13 5A" or "00135A"; empty for none
//                        (a 0xFF among them looks like a preamble to the master: choose it on purpose)
//   fault_bad_check      flag
//   fault_burst_bit      flag
//   fault_response_code  0..255
//   fault_command        0..255, or "any"
//   fault_count          number of answers the faults last, or "always"
//   fault_clear          any value: the device behaves again
// Unknown keys and bad values return false and change nothing.
class HartDevice : public LineDevice {
public:
    // Loop current limits a fixed current must stay in (mA).
    static constexpr float kFixedCurrentMin = 3.5f;
    static constexpr float kFixedCurrentMax = 23.0f;
    // The analogue output saturates here when it follows pv.
    static constexpr double kSaturationLow = 3.8;
    static constexpr double kSaturationHigh = 20.5;
    // Received frames kept; the oldest go first, a long monitoring run stays bounded.
    static constexpr std::size_t kMaxRecordedFrames = 4096;

    // Response codes the device gives.
    static constexpr std::uint8_t kTooLarge = 3;
    static constexpr std::uint8_t kTooSmall = 4;
    static constexpr std::uint8_t kTooFewDataBytes = 5;
    static constexpr std::uint8_t kLoopCurrentNotActive = 11;
    static constexpr std::uint8_t kCommandNotImplemented = 64;

    // Field-device status bits the device sets itself.
    static constexpr std::uint8_t kStatusLoopCurrentFixed = 0x08;
    static constexpr std::uint8_t kStatusLoopCurrentSaturated = 0x04;
    static constexpr std::uint8_t kStatusPvOutOfLimits = 0x01;

    explicit HartDevice(HartDeviceSettings settings = {}, HartFaults faults = {}, std::uint32_t noiseSeed = 1);

    void Feed(const std::uint8_t* data, std::size_t length, std::vector<SimAnswer>& answers) override;
    void LineIdle() override;

    bool ApplyScenarioKey(const std::string& key, const std::string& value);

    HartDeviceSettings Settings() const;
    void SetSettings(const HartDeviceSettings& settings);

    HartFaults Faults() const;
    void SetFaults(const HartFaults& faults);
    void ClearFaults() { SetFaults({}); }

    bool FixedCurrentMode() const;
    float FixedCurrent() const;           // 0 when not fixed
    // What command 40 with `current` does, without the line; 0 releases.
    void SetFixedCurrent(float current);

    std::vector<HartRecordedFrame> ReceivedFrames() const;
    void ClearReceivedFrames();
    std::size_t BadCheckCount() const;    // requests dropped for a wrong check byte
    std::size_t HeldBytes() const;        // of a request not yet complete

private:
    SimAnswer Answer(const HartFrame& request);
    bool IsAddressed(const HartFrame& request) const;
    std::uint8_t Execute(const HartFrame& request, std::vector<std::uint8_t>& data);
    std::uint8_t Command40(const std::vector<std::uint8_t>& request, std::vector<std::uint8_t>& data);
    std::uint8_t StatusByte() const;
    void Sample();
    double LoopCurrent() const;
    double FollowingCurrent() const;      // what pv asks of the output, before saturation
    bool Fixed() const { return fixedCurrent_ != 0.0f; }
    void Fix(float current) { fixedCurrent_ = current != 0.0f ? current : 0.0f; }
    bool ApplyKey(const std::string& key, const std::string& value);

    mutable std::mutex mutex_;
    HartDeviceSettings settings_;
    HartFaults faults_;
    HartRequestReader reader_;
    std::deque<HartRecordedFrame> heard_;
    std::size_t badChecks_ = 0;
    // mA the loop is held at by command 40; 0 when the current is not fixed.
    float fixedCurrent_ = 0.0f;
    double wander_ = 0.0;
    std::mt19937 random_;
};
