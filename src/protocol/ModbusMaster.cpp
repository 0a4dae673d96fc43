#include "ModbusMaster.h"

#include <cstring>

#include "ModbusComConnector.h"
#include "ModbusCrc.h"

namespace {

constexpr int kReplyPollCount = 5;

void PutCrc(std::vector<std::uint8_t>& frame)
{
    const std::uint16_t crc = ModbusCrc16(frame.data(), frame.size());
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFFu));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

bool CrcMatches(const std::uint8_t* frame, int bodyLength)
{
    const std::uint16_t crc = ModbusCrc16(frame, static_cast<std::size_t>(bodyLength));
    return frame[bodyLength] == (crc & 0xFFu) && frame[bodyLength + 1] == (crc >> 8);
}

std::uint16_t Reg(const std::uint8_t* data, int index)
{
    return static_cast<std::uint16_t>((data[2 * index] << 8) | data[2 * index + 1]);
}

} // namespace

ModbusMaster::ModbusMaster() : time_(&SystemTimeSource())
{
    transmit_.reserve(kBufferSize);
    receive_.reserve(kBufferSize);
}

ModbusMaster::~ModbusMaster()
{
    Close();
}

bool ModbusMaster::Open(int portNumber)
{
    if (connector_)
        return false;
    auto connector = std::make_unique<ModbusComConnector>();
    const bool opened = connector->Open(portNumber);
    lastOpenError_ = connector->LastOpenError();
    if (!opened)
        return false;
    connector_ = std::move(connector);
    connector_->SetStopEvent(watch_.StopEvent());
    replyPollCount_ = kReplyPollCount;
    return true;
}

bool ModbusMaster::Open(std::unique_ptr<IConnector> connector)
{
    if (connector_ || !connector)
        return false;
    connector_ = std::move(connector);
    connector_->SetStopEvent(watch_.StopEvent());
    replyPollCount_ = kReplyPollCount;
    return true;
}

void ModbusMaster::Close()
{
    if (connector_) {
        connector_->Close();
        connector_.reset();
    }
}

void ModbusMaster::SetStopEvent(const ManualResetEvent* stop)
{
    watch_.SetStopEvent(stop);
    if (connector_)
        connector_->SetStopEvent(stop);
}

std::uint8_t ModbusMaster::ConnectorFailed()
{
    watch_.NoteConnectorFailure();
    return kLineFailed;
}

void ModbusMaster::SetTimeSource(ITimeSource* time)
{
    time_ = time != nullptr ? time : &SystemTimeSource();
}

int ModbusMaster::ValidateFrame(const std::uint8_t* frame, int length, std::uint8_t unit, std::uint8_t function,
                                std::uint16_t address, std::uint16_t count, std::uint8_t& exceptionCode)
{
    if (length <= 4)
        return kTooShort;
    if (frame[0] != unit)
        return kForeignUnit;
    if (frame[1] == function) {
        if (function == 4) {
            const int dataBytes = 2 * count;
            if (length != dataBytes + 5)
                return kIncomplete;
            if (frame[2] != dataBytes)
                return kBadByteCount;
            if (!CrcMatches(frame, dataBytes + 3))
                return kBadCrc;
            return kComplete;
        }
        if (length != 8)
            return kIncomplete;
        if (frame[2] != (address >> 8) || frame[3] != (address & 0xFFu))
            return kBadEchoAddress;
        if (!CrcMatches(frame, 6))
            return kBadCrc;
        return kComplete;
    }
    if (frame[1] == static_cast<std::uint8_t>(function + 0x80u)) {
        if (!CrcMatches(frame, 3))
            return kBadCrc;
        exceptionCode = frame[2];
        return kCompleteException;
    }
    return kForeignFunction;
}

std::uint8_t ModbusMaster::Transact(std::uint8_t unit, std::uint8_t function, std::uint16_t address,
                                    std::uint16_t count, const std::uint8_t* data, const std::uint8_t*& response,
                                    int& responseLength, bool retry)
{
    responseLength = 0;
    if (!connector_)
        return kNotOpen;

    int expected = 0;
    transmit_.clear();
    transmit_.push_back(unit);
    transmit_.push_back(function);
    transmit_.push_back(static_cast<std::uint8_t>(address >> 8));
    transmit_.push_back(static_cast<std::uint8_t>(address & 0xFFu));
    if (function == 4) {
        // A block that would not fit the 256-byte frame is never built.
        if (count < 1 || count > kMaxReadCount)
            return kUnsupported;
        transmit_.push_back(static_cast<std::uint8_t>(count >> 8));
        transmit_.push_back(static_cast<std::uint8_t>(count & 0xFFu));
        expected = 2 * count + 5;
    } else if (function == 6) {
        if (data == nullptr)
            return kUnsupported;
        transmit_.push_back(data[0]);
        transmit_.push_back(data[1]);
        expected = 8;
    } else {
        return kUnsupported;
    }
    PutCrc(transmit_);

    watch_.CountExchange();
    watch_.SettleAfterAbandoned(*connector_, *time_);
    const int tries = retry ? 3 : 1;
    for (int attempt = 0; attempt < tries; ++attempt) {
        if (watch_.StopRequested())
            return kLineFailed;
        if (!connector_->Write(unit, transmit_.data(), static_cast<int>(transmit_.size())))
            return ConnectorFailed();
        receive_.assign(static_cast<std::size_t>(expected), 0);
        int held = 0;
        for (int cycle = 0; cycle < replyPollCount_; ++cycle) {
            if (held < expected) {
                if (watch_.Pause(*time_, kCycleSleepMs)) {
                    watch_.NoteAbandoned();
                    return kLineFailed;
                }
                int got = 0;
                // Never more than the normal answer's length: an exception
                // answer is shorter and comes in when the read times out.
                if (!connector_->Read(unit, receive_.data() + held, expected - held, got))
                    return ConnectorFailed();
                if (got > 0 && got <= expected - held)
                    held += got;
            }
            std::uint8_t exception = 0;
            const int status = ValidateFrame(receive_.data(), held, unit, function, address, count, exception);
            if (status == kComplete || status == kCompleteException)
                watch_.CountAnswer();
            if (status == kComplete) {
                if (function == 4) {
                    response = receive_.data() + 3;
                    responseLength = receive_[2];
                }
                return kOk;
            }
            if (status == kCompleteException) {
                // Exception 11: the device's gateway got no answer from its
                // target; that is worth another try, like a bad frame.
                if (exception != 11)
                    return exception;
                break;
            }
            if (status != kTooShort && status != kIncomplete)
                break;
        }
        if (watch_.Pause(*time_, kRetrySleepMs)) {
            watch_.NoteAbandoned();
            return kLineFailed;
        }
        connector_->PurgeInput();
    }
    return kNoAnswer;
}

bool ModbusMaster::ReadBlock(std::uint8_t unit, std::uint16_t address, std::uint16_t count, bool retry,
                             const std::uint8_t*& data)
{
    const std::uint8_t* response = nullptr;
    int length = 0;
    if (Transact(unit, 4, address, count, nullptr, response, length, retry) != kOk)
        return false;
    if (length != 2 * count)
        return false;
    data = response;
    return true;
}

bool ModbusMaster::ReadSwappedText(std::uint8_t unit, std::uint16_t address, std::uint16_t count, std::string& text,
                                   bool retry)
{
    const std::uint8_t* data = nullptr;
    if (!ReadBlock(unit, address, count, retry, data))
        return false;
    // The device packs two characters per register, first character in the
    // low byte.
    std::string out;
    for (int i = 0; i < count; ++i) {
        const char first = static_cast<char>(data[2 * i + 1]);
        const char second = static_cast<char>(data[2 * i]);
        if (first == '\0')
            break;
        out.push_back(first);
        if (second == '\0')
            break;
        out.push_back(second);
    }
    text = out;
    return true;
}

bool ModbusMaster::ReadClock(std::uint8_t unit, std::uint32_t& secondsSince1970, bool retry)
{
    const std::uint8_t* data = nullptr;
    if (!ReadBlock(unit, 2048, 2, retry, data))
        return false;
    secondsSince1970 = (static_cast<std::uint32_t>(Reg(data, 1)) << 16) + Reg(data, 0);
    return true;
}

bool ModbusMaster::ReadAnalyteCode(std::uint8_t unit, std::string& text, bool retry)
{
    return ReadSwappedText(unit, 1000, 8, text, retry);
}

bool ModbusMaster::ReadUnit(std::uint8_t unit, std::string& text, bool retry)
{
    return ReadSwappedText(unit, 1018, 4, text, retry);
}

bool ModbusMaster::ReadText1050(std::uint8_t unit, std::string& text, bool retry)
{
    return ReadSwappedText(unit, 1050, 4, text, retry);
}

bool ModbusMaster::ReadCalibrationDate(std::uint8_t unit, std::uint16_t& day, std::uint16_t& month,
                                       std::uint16_t& year, bool retry)
{
    const std::uint8_t* data = nullptr;
    if (!ReadBlock(unit, 1008, 3, retry, data))
        return false;
    day = Reg(data, 0);
    month = Reg(data, 1);
    year = Reg(data, 2);
    return true;
}

bool ModbusMaster::ReadConcentration(std::uint8_t unit, float& value, bool retry)
{
    const std::uint8_t* data = nullptr;
    if (!ReadBlock(unit, 1012, 2, retry, data))
        return false;
    const std::uint32_t bits = (static_cast<std::uint32_t>(Reg(data, 1)) << 16) | Reg(data, 0);
    float f = 0.0f;
    static_assert(sizeof f == sizeof bits);
    std::memcpy(&f, &bits, sizeof f);
    value = f;
    return true;
}

bool ModbusMaster::ReadThresholds(std::uint8_t unit, ModbusThresholds& thresholds, bool retry)
{
    const std::uint8_t* data = nullptr;
    if (!ReadBlock(unit, 2052, 6, retry, data))
        return false;
    const auto t1 = static_cast<std::int32_t>((static_cast<std::uint32_t>(Reg(data, 1)) << 16) | Reg(data, 0));
    const auto t2 = static_cast<std::int32_t>((static_cast<std::uint32_t>(Reg(data, 3)) << 16) | Reg(data, 2));
    thresholds.threshold1 = t1 / 1000.0;
    thresholds.threshold2 = t2 / 1000.0;
    thresholds.soundMode = data[8];
    thresholds.o2Flag = data[9];
    thresholds.register2057 = {data[10], data[11]};
    return true;
}

bool ModbusMaster::ReadJournalState(std::uint8_t unit, std::array<std::uint8_t, 12>& raw, bool retry)
{
    const std::uint8_t* data = nullptr;
    if (!ReadBlock(unit, 0x3FF0, 6, retry, data))
        return false;
    std::memcpy(raw.data(), data, raw.size());
    return true;
}

bool ModbusMaster::WriteRegister(std::uint8_t unit, std::uint16_t address, std::uint16_t value, bool retry)
{
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value & 0xFFu)};
    const std::uint8_t* response = nullptr;
    int length = 0;
    return Transact(unit, 6, address, 1, bytes, response, length, retry) == kOk;
}
