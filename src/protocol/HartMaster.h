#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "IConnector.h"
#include "ITimeSource.h"
#include "LineWatch.h"

// How a request reaches one field device: by polling address (short frame)
// or by its unique identifier (long frame).
struct HartAddress {
    bool longAddress = false;
    std::uint16_t deviceType = 0;   // 14-bit expanded device type (long frames)
    std::uint32_t deviceId = 0;     // 24-bit device identifier (long), or polling address 0..63 (short)
};

// Command 0: Read Unique Identifier.
struct HartUniqueIdentifier {
    std::uint16_t expandedDeviceType = 0;
    std::uint8_t minimumPreambles = 0;      // byte 3
    std::uint8_t universalRevision = 0;     // byte 4
    std::uint8_t deviceRevision = 0;        // byte 5
    std::uint8_t softwareRevision = 0;      // byte 6
    std::uint8_t hardwareRevision = 0;      // byte 7
    std::uint8_t flags = 0;                 // byte 8
    std::uint32_t deviceId = 0;             // bytes 9-11
    std::uint8_t byte12 = 0;
    std::uint8_t byte13 = 0;
    std::uint16_t configurationChangeCounter = 0;
    std::uint8_t extendedDeviceStatus = 0;
    std::uint16_t manufacturerCode = 0;
    std::uint16_t privateLabelDistributor = 0;
    std::uint8_t deviceProfile = 0;
};

struct HartPrimaryVariable {      // command 1
    std::uint8_t unitCode = 0;
    float value = 0.0f;
};

struct HartLoopCurrent {          // command 2
    float currentMa = 0.0f;
    float percentOfRange = 0.0f;
};

struct HartLoopConfiguration {    // command 7
    std::uint8_t pollingAddress = 0;
    std::uint8_t loopCurrentMode = 0;
};

struct HartTagDescriptorDate {    // command 13
    std::string tag;              // 8 characters
    std::string descriptor;       // 16 characters
    std::uint8_t day = 0;
    std::uint8_t month = 0;
    std::uint8_t yearSince1900 = 0;
};

struct HartTransducerInfo {       // command 14
    std::string serialText;       // "%02u%02u%04u" of the 24-bit serial number
    std::uint8_t unitCode = 0;
    float upperLimit = 0.0f;
    float lowerLimit = 0.0f;
    float minimumSpan = 0.0f;
};

// HART primary master on the modem line: frames with preambles and check
// byte, reply validation, fixed sleeps and retries, and one typed operation
// per command the program uses.
class HartMaster {
public:
    // Result codes: 0 success, any other value up to 255 is the response
    // code the device returned, except kFailed.
    static constexpr std::uint8_t kOk = 0;
    static constexpr std::uint8_t kFailed = 0x84;

    // Validation statuses of the bytes held in one try.
    static constexpr int kComplete = 0;
    static constexpr int kIncomplete = 0x81;
    static constexpr int kMismatch = 0x90;
    static constexpr int kBadCheckByte = 0x88;

    static constexpr int kExpectedReplySize = 384;
    static constexpr std::uint32_t kCycleSleepMs = 300;
    static constexpr std::uint32_t kRetrySleepMs = 1000;

    HartMaster();
    HartMaster(const HartMaster&) = delete;
    HartMaster& operator=(const HartMaster&) = delete;
    virtual ~HartMaster();

    bool Open(int portNumber);
    bool Open(std::unique_ptr<IConnector> connector);
    void Close();
    bool IsOpen() const { return connector_ != nullptr; }

    // The driving worker's stop event (nullptr: none): a stop ends the
    // running exchange at once, without its retries, and it counts neither
    // as an answer nor as a line failure. Kept across Close and Open.
    void SetStopEvent(const ManualResetEvent* stop);
    const LineWatch& Watch() const { return watch_; }
    LineWatch& Watch() { return watch_; }

    void SetTimeSource(ITimeSource* time);

    std::uint8_t Transact(bool longAddress, std::uint16_t deviceType, std::uint32_t deviceIdOrPollingAddress,
                          std::uint8_t command, const std::uint8_t* data, int dataLength, std::uint8_t& deviceStatus,
                          const std::uint8_t*& response, int& responseLength, bool retry);

    // Checks the bytes held against the request in transmit_ (exposed for
    // tests that feed arbitrary bytes). On kComplete, the response code,
    // device status and the data's offset and length are set.
    int Validate(const std::uint8_t* held, int length, std::uint8_t& responseCode, std::uint8_t& deviceStatus,
                 int& dataOffset, int& dataLength) const;

    // Typed operations: the transaction's result, or kFailed when the answer
    // carries fewer data bytes than the command needs. Outputs change only on 0.
    std::uint8_t ReadUniqueIdentifier(const HartAddress& a, HartUniqueIdentifier& out, bool retry);       // 0
    std::uint8_t ReadPrimaryVariable(const HartAddress& a, HartPrimaryVariable& out, bool retry);         // 1
    std::uint8_t ReadLoopCurrent(const HartAddress& a, HartLoopCurrent& out, bool retry);                 // 2
    std::uint8_t ReadLoopConfiguration(const HartAddress& a, HartLoopConfiguration& out, bool retry);     // 7
    std::uint8_t ReadMessage(const HartAddress& a, std::string& message, bool retry);                      // 12
    std::uint8_t ReadTagDescriptorDate(const HartAddress& a, HartTagDescriptorDate& out, bool retry);     // 13
    std::uint8_t ReadTransducerInfo(const HartAddress& a, HartTransducerInfo& out, bool retry);            // 14
    std::uint8_t ReadLongTag(const HartAddress& a, std::string& longTag, bool retry);                      // 20
    // Command 40, always with three tries; 0 mA leaves fixed-current mode.
    std::uint8_t SetFixedCurrent(const HartAddress& a, float currentMa, float& actualMa);                  // 40

    std::uint8_t LastDeviceStatus() const { return lastDeviceStatus_; }

    // Packed ASCII: 4 characters of 6 bits in every 3 bytes; `chars`
    // characters out, blanks where the bytes run short.
    static std::string UnpackAscii(const std::uint8_t* packed, int packedLength, int chars);
    // The transducer serial number of bytes 0-2 as "%02u%02u%04u".
    static std::string TransducerSerialText(const std::uint8_t bytes[3]);

private:
    std::uint8_t Command(const HartAddress& a, std::uint8_t command, const std::uint8_t* data, int dataLength,
                         int minimumData, const std::uint8_t*& response, bool retry);

    std::unique_ptr<IConnector> connector_;
    LineWatch watch_;
    int replyPollCount_ = 0;
    int preambleCount_ = 0;
    bool primaryMaster_ = true;
    std::vector<std::uint8_t> transmit_;
    std::vector<std::uint8_t> receive_;
    ITimeSource* time_;
    // The request's framing, kept for validating its answer.
    bool requestLong_ = false;
    std::uint8_t requestCommand_ = 0;
    std::array<std::uint8_t, 5> requestAddress_{};
    std::uint8_t lastDeviceStatus_ = 0;
};
