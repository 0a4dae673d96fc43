#include "HartMaster.h"

#include <cstdio>
#include <cstring>

#include "HartComConnector.h"

namespace {

constexpr int kReplyPollCount = 10;
constexpr int kPreambleCount = 5;
constexpr std::uint8_t kMasterBit = 0x80;

float RealAt(const std::uint8_t* p)
{
    const std::uint32_t bits = (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
                               (static_cast<std::uint32_t>(p[2]) << 8) | p[3];
    float f = 0.0f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

std::uint16_t U16At(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

std::uint32_t U24At(const std::uint8_t* p)
{
    return (static_cast<std::uint32_t>(p[0]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
}

} // namespace

HartMaster::HartMaster() : time_(&SystemTimeSource())
{
    transmit_.reserve(256);
    receive_.reserve(256);
}

HartMaster::~HartMaster()
{
    Close();
}

bool HartMaster::Open(int portNumber)
{
    if (connector_)
        return false;
    auto connector = std::make_unique<HartComConnector>();
    if (!connector->Open(portNumber))
        return false;
    return Open(std::move(connector));
}

bool HartMaster::Open(std::unique_ptr<IConnector> connector)
{
    if (connector_ || !connector)
        return false;
    connector_ = std::move(connector);
    connector_->SetStopEvent(watch_.StopEvent());
    replyPollCount_ = kReplyPollCount;
    preambleCount_ = kPreambleCount;
    primaryMaster_ = true;
    return true;
}

void HartMaster::Close()
{
    if (connector_) {
        connector_->Close();
        connector_.reset();
    }
}

void HartMaster::SetStopEvent(const ManualResetEvent* stop)
{
    watch_.SetStopEvent(stop);
    if (connector_)
        connector_->SetStopEvent(stop);
}

void HartMaster::SetTimeSource(ITimeSource* time)
{
    time_ = time != nullptr ? time : &SystemTimeSource();
}

int HartMaster::Validate(const std::uint8_t* held, int length, std::uint8_t& responseCode, std::uint8_t& deviceStatus,
                         int& dataOffset, int& dataLength) const
{
    int i = 0;
    while (i < length && held[i] != 0xFF)
        ++i;
    if (i == length)
        return kIncomplete;
    int preambles = 0;
    while (i < length && held[i] == 0xFF) {
        ++preambles;
        ++i;
    }
    if (preambles < 2 || i == length)
        return kIncomplete;

    const int delimiterAt = i;
    const std::uint8_t expectedDelimiter = requestLong_ ? 0x86 : 0x06;
    if ((held[i] & 0x87) != expectedDelimiter)
        return kMismatch;
    ++i;

    if (requestLong_) {
        if (length - i < 5)
            return kIncomplete;
        // The burst bit is not examined in a long address; the master bit,
        // the expanded device type and the device identifier must match.
        if ((held[i] & kMasterBit) != (requestAddress_[0] & kMasterBit) ||
            (held[i] & 0x3F) != (requestAddress_[0] & 0x3F) || held[i + 1] != requestAddress_[1] ||
            held[i + 2] != requestAddress_[2] || held[i + 3] != requestAddress_[3] || held[i + 4] != requestAddress_[4])
            return kMismatch;
        i += 5;
    } else {
        if (length - i < 1)
            return kIncomplete;
        // Identical byte: master bit as sent, burst bit clear.
        if (held[i] != requestAddress_[0])
            return kMismatch;
        i += 1;
    }

    if (i >= length)
        return kIncomplete;
    if (held[i] != requestCommand_)
        return kMismatch;
    ++i;

    if (i >= length)
        return kIncomplete;
    const int byteCount = held[i];
    if (byteCount < 2)
        return kMismatch;
    ++i;
    if (length - i < 2)
        return kIncomplete;
    const std::uint8_t code = held[i];
    const std::uint8_t status = held[i + 1];
    i += 2;

    const int data = byteCount - 2;
    // The data, then the check byte.
    if (length - i < data + 1)
        return kIncomplete;
    std::uint8_t check = 0;
    for (int k = delimiterAt; k < i + data; ++k)
        check ^= held[k];
    if (held[i + data] != check)
        return kBadCheckByte;

    responseCode = code;
    deviceStatus = status;
    dataOffset = i;
    dataLength = data;
    return kComplete;
}

std::uint8_t HartMaster::Transact(bool longAddress, std::uint16_t deviceType, std::uint32_t deviceIdOrPollingAddress,
                                  std::uint8_t command, const std::uint8_t* data, int dataLength,
                                  std::uint8_t& deviceStatus, const std::uint8_t*& response, int& responseLength,
                                  bool retry)
{
    responseLength = 0;
    if (!connector_)
        return kFailed;
    if (dataLength < 0 || dataLength > 255 || (dataLength > 0 && data == nullptr))
        return kFailed;

    const std::uint8_t master = primaryMaster_ ? kMasterBit : 0;
    requestLong_ = longAddress;
    requestCommand_ = command;
    int addressLength = 1;
    if (longAddress) {
        requestAddress_[0] = static_cast<std::uint8_t>(master | ((deviceType >> 8) & 0x3F));
        requestAddress_[1] = static_cast<std::uint8_t>(deviceType & 0xFF);
        requestAddress_[2] = static_cast<std::uint8_t>((deviceIdOrPollingAddress >> 16) & 0xFF);
        requestAddress_[3] = static_cast<std::uint8_t>((deviceIdOrPollingAddress >> 8) & 0xFF);
        requestAddress_[4] = static_cast<std::uint8_t>(deviceIdOrPollingAddress & 0xFF);
        addressLength = 5;
    } else {
        requestAddress_[0] = static_cast<std::uint8_t>(master | (deviceIdOrPollingAddress & 0x3F));
    }

    transmit_.assign(static_cast<std::size_t>(preambleCount_), 0xFF);
    const std::size_t delimiterAt = transmit_.size();
    transmit_.push_back(longAddress ? 0x82 : 0x02);
    transmit_.insert(transmit_.end(), requestAddress_.begin(), requestAddress_.begin() + addressLength);
    transmit_.push_back(command);
    transmit_.push_back(static_cast<std::uint8_t>(dataLength));
    if (dataLength > 0)
        transmit_.insert(transmit_.end(), data, data + dataLength);
    std::uint8_t check = 0;
    for (std::size_t k = delimiterAt; k < transmit_.size(); ++k)
        check ^= transmit_[k];
    transmit_.push_back(check);

    watch_.CountExchange();
    watch_.SettleAfterAbandoned(*connector_, *time_);
    const int tries = retry ? 3 : 1;
    for (int attempt = 0; attempt < tries; ++attempt) {
        if (watch_.StopRequested())
            return kFailed;
        if (!connector_->Write(0, transmit_.data(), static_cast<int>(transmit_.size()))) {
            watch_.NoteConnectorFailure();
            return kFailed;
        }
        receive_.assign(kExpectedReplySize, 0);
        int held = 0;
        for (int cycle = 0; cycle < replyPollCount_; ++cycle) {
            if (held < kExpectedReplySize) {
                if (watch_.Pause(*time_, kCycleSleepMs)) {
                    watch_.NoteAbandoned();
                    return kFailed;
                }
                int got = 0;
                if (!connector_->Read(0, receive_.data() + held, kExpectedReplySize - held, got)) {
                    watch_.NoteConnectorFailure();
                    return kFailed;
                }
                if (got > 0 && got <= kExpectedReplySize - held)
                    held += got;
            }
            std::uint8_t code = 0;
            std::uint8_t status = 0;
            int offset = 0;
            int length = 0;
            const int v = Validate(receive_.data(), held, code, status, offset, length);
            if (v == kComplete) {
                watch_.CountAnswer();
                // Every non-zero response code, warnings included, is the
                // device's refusal: returned at once, never retried.
                deviceStatus = status;
                lastDeviceStatus_ = status;
                response = receive_.data() + offset;
                responseLength = length;
                return code;
            }
            if (v != kIncomplete)
                break;
        }
        if (watch_.Pause(*time_, kRetrySleepMs)) {
            watch_.NoteAbandoned();
            return kFailed;
        }
        connector_->PurgeInput();
    }
    return kFailed;
}

std::uint8_t HartMaster::Command(const HartAddress& a, std::uint8_t command, const std::uint8_t* data,
                                 int dataLength, int minimumData, const std::uint8_t*& response, bool retry)
{
    std::uint8_t status = 0;
    int length = 0;
    const std::uint8_t rc = Transact(a.longAddress, a.deviceType, a.deviceId, command, data, dataLength, status,
                                     response, length, retry);
    if (rc != kOk)
        return rc;
    if (length < minimumData)
        return kFailed;
    return kOk;
}

std::uint8_t HartMaster::ReadUniqueIdentifier(const HartAddress& a, HartUniqueIdentifier& out, bool retry)
{
    const std::uint8_t* d = nullptr;
    const std::uint8_t rc = Command(a, 0, nullptr, 0, 22, d, retry);
    if (rc != kOk)
        return rc;
    out.expandedDeviceType = U16At(d + 1);
    out.minimumPreambles = d[3];
    out.universalRevision = d[4];
    out.deviceRevision = d[5];
    out.softwareRevision = d[6];
    out.hardwareRevision = d[7];
    out.flags = d[8];
    out.deviceId = U24At(d + 9);
    out.byte12 = d[12];
    out.byte13 = d[13];
    out.configurationChangeCounter = U16At(d + 14);
    out.extendedDeviceStatus = d[16];
    out.manufacturerCode = U16At(d + 17);
    out.privateLabelDistributor = U16At(d + 19);
    out.deviceProfile = d[21];
    return kOk;
}

std::uint8_t HartMaster::ReadPrimaryVariable(const HartAddress& a, HartPrimaryVariable& out, bool retry)
{
    const std::uint8_t* d = nullptr;
    const std::uint8_t rc = Command(a, 1, nullptr, 0, 5, d, retry);
    if (rc != kOk)
        return rc;
    out.unitCode = d[0];
    out.value = RealAt(d + 1);
    return kOk;
}

std::uint8_t HartMaster::ReadLoopCurrent(const HartAddress& a, HartLoopCurrent& out, bool retry)
{
    const std::uint8_t* d = nullptr;
    const std::uint8_t rc = Command(a, 2, nullptr, 0, 8, d, retry);
    if (rc != kOk)
        return rc;
    out.currentMa = RealAt(d);
    out.percentOfRange = RealAt(d + 4);
    return kOk;
}

std::uint8_t HartMaster::ReadLoopConfiguration(const HartAddress& a, HartLoopConfiguration& out, bool retry)
{
    const std::uint8_t* d = nullptr;
    const std::uint8_t rc = Command(a, 7, nullptr, 0, 2, d, retry);
    if (rc != kOk)
        return rc;
    out.pollingAddress = d[0];
    out.loopCurrentMode = d[1];
    return kOk;
}

std::uint8_t HartMaster::ReadMessage(const HartAddress& a, std::string& message, bool retry)
{
    const std::uint8_t* d = nullptr;
    const std::uint8_t rc = Command(a, 12, nullptr, 0, 24, d, retry);
    if (rc != kOk)
        return rc;
    message = UnpackAscii(d, 24, 32);
    return kOk;
}

std::uint8_t HartMaster::ReadTagDescriptorDate(const HartAddress& a, HartTagDescriptorDate& out, bool retry)
{
    const std::uint8_t* d = nullptr;
    const std::uint8_t rc = Command(a, 13, nullptr, 0, 21, d, retry);
    if (rc != kOk)
        return rc;
    out.tag = UnpackAscii(d, 6, 8);
    out.descriptor = UnpackAscii(d + 6, 12, 16);
    out.day = d[18];
    out.month = d[19];
    out.yearSince1900 = d[20];
    return kOk;
}

std::uint8_t HartMaster::ReadTransducerInfo(const HartAddress& a, HartTransducerInfo& out, bool retry)
{
    const std::uint8_t* d = nullptr;
    const std::uint8_t rc = Command(a, 14, nullptr, 0, 16, d, retry);
    if (rc != kOk)
        return rc;
    out.serialText = TransducerSerialText(d);
    out.unitCode = d[3];
    out.upperLimit = RealAt(d + 4);
    out.lowerLimit = RealAt(d + 8);
    out.minimumSpan = RealAt(d + 12);
    return kOk;
}

std::uint8_t HartMaster::ReadLongTag(const HartAddress& a, std::string& longTag, bool retry)
{
    const std::uint8_t* d = nullptr;
    const std::uint8_t rc = Command(a, 20, nullptr, 0, 32, d, retry);
    if (rc != kOk)
        return rc;
    longTag.assign(reinterpret_cast<const char*>(d), 32);
    return kOk;
}

std::uint8_t HartMaster::SetFixedCurrent(const HartAddress& a, float currentMa, float& actualMa)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &currentMa, sizeof bits);
    const std::uint8_t data[4] = {static_cast<std::uint8_t>(bits >> 24), static_cast<std::uint8_t>(bits >> 16),
                                  static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits)};
    const std::uint8_t* d = nullptr;
    const std::uint8_t rc = Command(a, 40, data, 4, 4, d, true);
    if (rc != kOk)
        return rc;
    actualMa = RealAt(d);
    return kOk;
}

std::string HartMaster::UnpackAscii(const std::uint8_t* packed, int packedLength, int chars)
{
    std::string out(static_cast<std::size_t>(chars > 0 ? chars : 0), ' ');
    int c = 0;
    for (int g = 0; g + 3 <= packedLength && c < chars; g += 3) {
        const std::uint32_t v = (static_cast<std::uint32_t>(packed[g]) << 16) |
                                (static_cast<std::uint32_t>(packed[g + 1]) << 8) | packed[g + 2];
        for (int k = 0; k < 4 && c < chars; ++k, ++c) {
            std::uint8_t code = static_cast<std::uint8_t>((v >> (18 - 6 * k)) & 0x3F);
            if ((code & 0x20) == 0)
                code |= 0x40;
            out[static_cast<std::size_t>(c)] = static_cast<char>(code);
        }
    }
    return out;
}

std::string HartMaster::TransducerSerialText(const std::uint8_t bytes[3])
{
    const std::uint32_t v = U24At(bytes);
    char text[16];
    std::snprintf(text, sizeof text, "%02u%02u%04u", static_cast<unsigned>((v >> 18) & 0x3F),
                  static_cast<unsigned>((v >> 14) & 0x0F), static_cast<unsigned>(v & 0x3FFF));
    return text;
}
