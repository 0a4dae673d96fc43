#include "HartDevice.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "HartPackedAscii.h"

namespace {

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::optional<std::uint32_t> ParseUnsigned(const std::string& raw, std::uint32_t max)
{
    const std::string text = Trimmed(raw);
    int base = 10;
    std::size_t start = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        start = 2;
    }
    if (start >= text.size()) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data() + start, end, value, base);
    if (ec != std::errc{} || ptr != end || value > max) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ParseReal(const std::string& raw)
{
    const std::string text = Trimmed(raw);
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (begin == end || ec != std::errc{} || ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    // The device carries single precision: a value beyond it is no value.
    if (std::fabs(value) > std::numeric_limits<float>::max()) {
        return std::nullopt;
    }
    return value;
}

std::optional<bool> ParseFlag(const std::string& raw)
{
    std::string text = Trimmed(raw);
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    if (text == "1" || text == "true" || text == "yes" || text == "on") {
        return true;
    }
    if (text == "0" || text == "false" || text == "no" || text == "off") {
        return false;
    }
    return std::nullopt;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<std::vector<std::uint8_t>> ParseHexBytes(const std::string& raw)
{
    std::string digits;
    for (char c : raw) {
        if (c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n') {
            continue;
        }
        if (HexDigit(c) < 0) {
            return std::nullopt;
        }
        digits.push_back(c);
    }
    if (digits.size() % 2 != 0 || digits.size() > 2 * 1000) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(HexDigit(digits[i]) << 4 | HexDigit(digits[i + 1])));
    }
    return bytes;
}

// Scenario files are UTF-8; the long tag on the line is Latin-1.
std::optional<std::string> Utf8ToLatin1(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            continue;
        }
        if ((b == 0xC2 || b == 0xC3) && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if ((next & 0xC0) == 0x80) {
                out.push_back(static_cast<char>((b & 0x1F) << 6 | (next & 0x3F)));
                ++i;
                continue;
            }
        }
        return std::nullopt;
    }
    return out;
}

std::optional<std::string> PackableText(const std::string& raw, std::size_t characters)
{
    if (raw.size() > characters || !IsHartPackable(raw)) {
        return std::nullopt;
    }
    return raw;
}

bool ParseDate(const std::string& raw, std::uint8_t& day, std::uint8_t& month, std::uint16_t& year)
{
    const std::string text = Trimmed(raw);
    const auto firstDot = text.find('.');
    const auto secondDot = firstDot == std::string::npos ? std::string::npos : text.find('.', firstDot + 1);
    if (secondDot == std::string::npos) {
        return false;
    }
    const auto d = ParseUnsigned(text.substr(0, firstDot), 31);
    const auto m = ParseUnsigned(text.substr(firstDot + 1, secondDot - firstDot - 1), 12);
    const auto y = ParseUnsigned(text.substr(secondDot + 1), 2155);
    if (!d || !m || !y || *d < 1 || *m < 1 || *y < 1900) {
        return false;
    }
    day = static_cast<std::uint8_t>(*d);
    month = static_cast<std::uint8_t>(*m);
    year = static_cast<std::uint16_t>(*y);
    return true;
}

void AppendText(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& bytes)
{
    out.insert(out.end(), bytes.begin(), bytes.end());
}

}  // namespace

HartDevice::HartDevice(HartDeviceSettings settings, HartFaults faults, std::uint32_t noiseSeed)
    : settings_(std::move(settings)), faults_(std::move(faults)), random_(noiseSeed)
{
}

void HartDevice::Feed(const std::uint8_t* data, std::size_t length, std::vector<SimAnswer>& answers)
{
    std::lock_guard lock(mutex_);
    std::vector<HartReceivedRequest> requests;
    reader_.Feed(data, length, requests);
    for (const auto& request : requests) {
        if (!request.checkByteOk) {
            // The address itself may be the damaged byte: a field device does
            // not answer what it cannot trust.
            ++badChecks_;
            answers.emplace_back();
            continue;
        }
        HartRecordedFrame heard;
        heard.command = request.frame.command;
        heard.longAddress = request.frame.IsLongAddress();
        heard.address = request.frame.address;
        heard.data = request.frame.data;
        heard.addressed = IsAddressed(request.frame);
        if (heard_.size() >= kMaxRecordedFrames) {
            heard_.pop_front();
        }
        heard_.push_back(heard);
        answers.push_back(heard.addressed ? Answer(request.frame) : SimAnswer{});
    }
}

void HartDevice::LineIdle()
{
    std::lock_guard lock(mutex_);
    reader_.Reset();
}

bool HartDevice::IsAddressed(const HartFrame& request) const
{
    if (!request.IsLongAddress()) {
        return request.address.size() == HartFrame::kShortAddressLength &&
               (request.address[0] & HartFrame::kPollingAddressMask) == settings_.pollingAddress;
    }
    if (request.address.size() != HartFrame::kLongAddressLength) {
        return false;
    }
    const auto mine = HartLongAddress(false, settings_.ExpandedDeviceType(), settings_.deviceId);
    return (request.address[0] & 0x3F) == mine[0] &&
           std::equal(request.address.begin() + 1, request.address.end(), mine.begin() + 1);
}

SimAnswer HartDevice::Answer(const HartFrame& request)
{
    const bool faulted = faults_.Any() && (faults_.command < 0 || faults_.command == request.command);
    const HartFaults faults = faulted ? faults_ : HartFaults{};
    if (faulted && faults_.count > 0 && --faults_.count == 0) {
        faults_ = {};
    }
    if (faults.silent) {
        return {};
    }

    std::uint8_t responseCode = faults.responseCode;
    std::vector<std::uint8_t> data;
    if (responseCode == 0) {
        responseCode = Execute(request, data);
    }

    HartFrame response;
    response.delimiter = request.IsLongAddress() ? HartFrame::kLongResponse : HartFrame::kShortResponse;
    response.address = request.address;
    if (faults.burstBit) {
        response.address[0] |= HartFrame::kBurstBit;
    } else {
        response.address[0] &= static_cast<std::uint8_t>(~HartFrame::kBurstBit);
    }
    response.command = request.command;
    response.data.reserve(2 + data.size());
    response.data.push_back(responseCode);
    response.data.push_back(StatusByte());
    response.data.insert(response.data.end(), data.begin(), data.end());

    std::vector<std::uint8_t> bytes = faults.garbage;
    const auto frame = EncodeHartFrame(response, settings_.responsePreambles);
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    if (faults.badCheckByte) {
        bytes.back() ^= 0x01;
    }

    SimAnswer answer;
    const std::size_t pieceSize = faults.splitBytes == 0 ? bytes.size() : faults.splitBytes;
    for (std::size_t at = 0; at < bytes.size(); at += pieceSize) {
        SimPiece piece;
        piece.delayMs = answer.empty() ? faults.delayMs : faults.splitGapMs;
        const std::size_t end = std::min(bytes.size(), at + pieceSize);
        piece.bytes.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                           bytes.begin() + static_cast<std::ptrdiff_t>(end));
        answer.push_back(std::move(piece));
    }
    return answer;
}

std::uint8_t HartDevice::Execute(const HartFrame& request, std::vector<std::uint8_t>& data)
{
    const HartDeviceSettings& s = settings_;
    switch (request.command) {
    case 0: {
        const std::uint16_t type = s.ExpandedDeviceType();
        data = {
            254,  // expanded identity layout follows
            static_cast<std::uint8_t>(type >> 8),
            static_cast<std::uint8_t>(type),
            s.requestPreambles,
            s.universalRevision,
            s.deviceRevision,
            s.softwareRevision,
            static_cast<std::uint8_t>((s.hardwareRevision & 0x1F) << 3),  // physical signalling 0: FSK current loop
            0,  // flags
            static_cast<std::uint8_t>(s.deviceId >> 16),
            static_cast<std::uint8_t>(s.deviceId >> 8),
            static_cast<std::uint8_t>(s.deviceId),
            s.responsePreambles,
            1,  // device variables: the gas reading only
            static_cast<std::uint8_t>(s.configChangeCounter >> 8),
            static_cast<std::uint8_t>(s.configChangeCounter),
            0,  // extended device status
            0,
            s.manufacturerId,
            0,
            s.manufacturerId,  // sold under its own label
            1,                 // device profile: process automation device
        };
        return 0;
    }
    case 1:
        Sample();
        data.push_back(s.pvUnit);
        AppendHartFloat(data, static_cast<float>(s.pv + wander_));
        return 0;
    case 2: {
        Sample();
        const double current = LoopCurrent();
        AppendHartFloat(data, static_cast<float>(current));
        AppendHartFloat(data, static_cast<float>((current - 4.0) / 16.0 * 100.0));
        return 0;
    }
    case 3: {
        // The loop current first, then each dynamic variable with its unit:
        // this device has the gas reading only. A fixed current shows here
        // as it does in command 2, so a master sees what the loop carries.
        Sample();
        AppendHartFloat(data, static_cast<float>(LoopCurrent()));
        data.push_back(s.pvUnit);
        AppendHartFloat(data, static_cast<float>(s.pv + wander_));
        return 0;
    }
    case 7:
        data = {s.pollingAddress, s.loopCurrentMode};
        return 0;
    case 12:
        data = PackHartAscii(s.message, 32);
        return 0;
    case 13:
        AppendText(data, PackHartAscii(s.tag, 8));
        AppendText(data, PackHartAscii(s.descriptor, 16));
        data.push_back(s.day);
        data.push_back(s.month);
        data.push_back(static_cast<std::uint8_t>(s.year - 1900));
        return 0;
    case 14:
        data = {
            static_cast<std::uint8_t>(s.sensorSerial >> 16),
            static_cast<std::uint8_t>(s.sensorSerial >> 8),
            static_cast<std::uint8_t>(s.sensorSerial),
            s.pvUnit,
        };
        AppendHartFloat(data, static_cast<float>(s.sensorUpper));
        AppendHartFloat(data, static_cast<float>(s.sensorLower));
        AppendHartFloat(data, static_cast<float>(s.sensorMinSpan));
        return 0;
    case 20:
        if (s.noCommand20) {
            return kCommandNotImplemented;
        }
        data.assign(s.longTag.begin(), s.longTag.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(
                                                                 s.longTag.size(), 32)));
        data.resize(32, 0);
        return 0;
    case 40:
        return Command40(request.data, data);
    default:
        return kCommandNotImplemented;
    }
}

std::uint8_t HartDevice::Command40(const std::vector<std::uint8_t>& request, std::vector<std::uint8_t>& data)
{
    if (request.size() < 4) {
        return kTooFewDataBytes;
    }
    if (settings_.loopCurrentMode == 0) {
        return kLoopCurrentNotActive;
    }
    const float current = ReadHartFloat(request.data());
    if (current != 0.0f) {
        if (current > kFixedCurrentMax) {
            return kTooLarge;
        }
        if (!(current >= kFixedCurrentMin)) {
            return kTooSmall;
        }
    }
    Fix(current);
    AppendHartFloat(data, fixedCurrent_);
    return 0;
}

std::uint8_t HartDevice::StatusByte() const
{
    std::uint8_t status = settings_.deviceStatus;
    if (Fixed()) {
        status |= kStatusLoopCurrentFixed;
    } else if (!settings_.loopCurrent && settings_.loopCurrentMode != 0) {
        const double current = FollowingCurrent();
        if (current < kSaturationLow || current > kSaturationHigh) {
            status |= kStatusLoopCurrentSaturated;
        }
    }
    const double pv = settings_.pv + wander_;
    if (pv > settings_.sensorUpper || pv < settings_.sensorLower) {
        status |= kStatusPvOutOfLimits;
    }
    return status;
}

void HartDevice::Sample()
{
    // A mean-reverting walk: the reading moves from one poll to the next but
    // stays within about ten steps of the set value.
    if (settings_.pvNoise <= 0.0) {
        wander_ = 0.0;
        return;
    }
    std::uniform_real_distribution<double> step(-settings_.pvNoise, settings_.pvNoise);
    wander_ = 0.9 * wander_ + step(random_);
}

double HartDevice::FollowingCurrent() const
{
    const double range = settings_.rangeUpper - settings_.rangeLower;
    const double percent = range == 0.0 ? 0.0 : (settings_.pv + wander_ - settings_.rangeLower) / range * 100.0;
    return 4.0 + percent * 0.16;
}

double HartDevice::LoopCurrent() const
{
    if (Fixed()) {
        return fixedCurrent_;
    }
    if (settings_.loopCurrent) {
        return *settings_.loopCurrent;
    }
    if (settings_.loopCurrentMode == 0) {
        return 4.0;  // parked in multidrop
    }
    return std::clamp(FollowingCurrent(), kSaturationLow, kSaturationHigh);
}

bool HartDevice::ApplyScenarioKey(const std::string& key, const std::string& value)
{
    std::lock_guard lock(mutex_);
    return ApplyKey(Trimmed(key), value);
}

bool HartDevice::ApplyKey(const std::string& key, const std::string& value)
{
    HartDeviceSettings& s = settings_;
    const auto setByte = [&](std::uint8_t& field, std::uint32_t min, std::uint32_t max) {
        const auto v = ParseUnsigned(value, max);
        if (!v || *v < min) {
            return false;
        }
        field = static_cast<std::uint8_t>(*v);
        return true;
    };
    const auto setReal = [&](double& field) {
        const auto v = ParseReal(value);
        if (!v) {
            return false;
        }
        field = *v;
        return true;
    };
    const auto setMs = [&](std::uint32_t& field) {
        const auto v = ParseUnsigned(value, 600000);
        if (!v) {
            return false;
        }
        field = *v;
        return true;
    };
    const auto setFlag = [&](bool& field) {
        const auto v = ParseFlag(value);
        if (!v) {
            return false;
        }
        field = *v;
        return true;
    };
    const auto setText = [&](std::string& field, std::size_t characters) {
        const auto v = PackableText(value, characters);
        if (!v) {
            return false;
        }
        field = *v;
        return true;
    };

    if (key == "polling_address") {
        return setByte(s.pollingAddress, 0, 63);
    }
    if (key == "manufacturer_id") {
        return setByte(s.manufacturerId, 0, 63);
    }
    if (key == "device_type") {
        return setByte(s.deviceType, 0, 255);
    }
    if (key == "device_id") {
        const auto v = ParseUnsigned(value, 0xFFFFFF);
        if (!v) {
            return false;
        }
        s.deviceId = *v;
        return true;
    }
    if (key == "universal_revision") {
        return setByte(s.universalRevision, 0, 255);
    }
    if (key == "device_revision") {
        return setByte(s.deviceRevision, 0, 255);
    }
    if (key == "software_revision") {
        return setByte(s.softwareRevision, 0, 255);
    }
    if (key == "hardware_revision") {
        return setByte(s.hardwareRevision, 0, 31);
    }
    if (key == "request_preambles") {
        return setByte(s.requestPreambles, 2, 20);
    }
    if (key == "response_preambles") {
        return setByte(s.responsePreambles, 2, 20);
    }
    if (key == "device_status") {
        return setByte(s.deviceStatus, 0, 255);
    }
    if (key == "config_change_counter") {
        const auto v = ParseUnsigned(value, 0xFFFF);
        if (!v) {
            return false;
        }
        s.configChangeCounter = static_cast<std::uint16_t>(*v);
        return true;
    }
    if (key == "tag") {
        return setText(s.tag, 8);
    }
    if (key == "descriptor") {
        return setText(s.descriptor, 16);
    }
    if (key == "message") {
        return setText(s.message, 32);
    }
    if (key == "date") {
        return ParseDate(value, s.day, s.month, s.year);
    }
    if (key == "long_tag") {
        const auto v = Utf8ToLatin1(value);
        if (!v || v->size() > 32) {
            return false;
        }
        s.longTag = *v;
        return true;
    }
    if (key == "pv") {
        return setReal(s.pv);
    }
    if (key == "pv_unit") {
        return setByte(s.pvUnit, 0, 255);
    }
    if (key == "pv_noise") {
        const auto v = ParseReal(value);
        if (!v || *v < 0.0) {
            return false;
        }
        s.pvNoise = *v;
        wander_ = 0.0;
        return true;
    }
    if (key == "range_lower") {
        return setReal(s.rangeLower);
    }
    if (key == "range_upper") {
        return setReal(s.rangeUpper);
    }
    if (key == "loop_current") {
        if (Trimmed(value) == "auto") {
            s.loopCurrent.reset();
            return true;
        }
        const auto v = ParseReal(value);
        if (!v || *v < 0.0 || *v > 25.0) {
            return false;
        }
        s.loopCurrent = *v;
        return true;
    }
    if (key == "loop_current_mode") {
        return setByte(s.loopCurrentMode, 0, 1);
    }
    if (key == "fixed_current") {
        const auto v = ParseReal(value);
        if (!v || (*v != 0.0 && !(*v >= kFixedCurrentMin && *v <= kFixedCurrentMax))) {
            return false;
        }
        Fix(static_cast<float>(*v));
        return true;
    }
    if (key == "sensor_serial") {
        const auto v = ParseUnsigned(value, 0xFFFFFF);
        if (!v) {
            return false;
        }
        s.sensorSerial = *v;
        return true;
    }
    if (key == "sensor_upper") {
        return setReal(s.sensorUpper);
    }
    if (key == "sensor_lower") {
        return setReal(s.sensorLower);
    }
    if (key == "sensor_min_span") {
        return setReal(s.sensorMinSpan);
    }
    if (key == "no_command_20") {
        return setFlag(s.noCommand20);
    }

    HartFaults& f = faults_;
    if (key == "fault_silent") {
        return setFlag(f.silent);
    }
    if (key == "fault_delay_ms") {
        return setMs(f.delayMs);
    }
    if (key == "fault_split_bytes") {
        const auto v = ParseUnsigned(value, 1000);
        if (!v) {
            return false;
        }
        f.splitBytes = *v;
        return true;
    }
    if (key == "fault_split_gap_ms") {
        return setMs(f.splitGapMs);
    }
    if (key == "fault_garbage") {
        const auto v = ParseHexBytes(value);
        if (!v) {
            return false;
        }
        f.garbage = *v;
        return true;
    }
    if (key == "fault_bad_check") {
        return setFlag(f.badCheckByte);
    }
    if (key == "fault_burst_bit") {
        return setFlag(f.burstBit);
    }
    if (key == "fault_response_code") {
        return setByte(f.responseCode, 0, 255);
    }
    if (key == "fault_command") {
        if (Trimmed(value) == "any") {
            f.command = -1;
            return true;
        }
        const auto v = ParseUnsigned(value, 255);
        if (!v) {
            return false;
        }
        f.command = static_cast<int>(*v);
        return true;
    }
    if (key == "fault_count") {
        if (Trimmed(value) == "always") {
            f.count = -1;
            return true;
        }
        const auto v = ParseUnsigned(value, 1000000);
        if (!v || *v == 0) {
            return false;
        }
        f.count = static_cast<int>(*v);
        return true;
    }
    if (key == "fault_clear") {
        f = {};
        return true;
    }
    return false;
}

HartDeviceSettings HartDevice::Settings() const
{
    std::lock_guard lock(mutex_);
    return settings_;
}

void HartDevice::SetSettings(const HartDeviceSettings& settings)
{
    std::lock_guard lock(mutex_);
    settings_ = settings;
}

HartFaults HartDevice::Faults() const
{
    std::lock_guard lock(mutex_);
    return faults_;
}

void HartDevice::SetFaults(const HartFaults& faults)
{
    std::lock_guard lock(mutex_);
    faults_ = faults;
}

bool HartDevice::FixedCurrentMode() const
{
    std::lock_guard lock(mutex_);
    return Fixed();
}

float HartDevice::FixedCurrent() const
{
    std::lock_guard lock(mutex_);
    return fixedCurrent_;
}

void HartDevice::SetFixedCurrent(float current)
{
    std::lock_guard lock(mutex_);
    Fix(current);
}

std::vector<HartRecordedFrame> HartDevice::ReceivedFrames() const
{
    std::lock_guard lock(mutex_);
    return {heard_.begin(), heard_.end()};
}

void HartDevice::ClearReceivedFrames()
{
    std::lock_guard lock(mutex_);
    heard_.clear();
}

std::size_t HartDevice::BadCheckCount() const
{
    std::lock_guard lock(mutex_);
    return badChecks_;
}

std::size_t HartDevice::HeldBytes() const
{
    std::lock_guard lock(mutex_);
    return reader_.HeldBytes();
}
