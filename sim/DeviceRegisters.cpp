#include "DeviceRegisters.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <chrono>
#include <cmath>

#include "SimText.h"

namespace {

std::uint16_t PackedText(const std::string& text, std::size_t reg)
{
    auto at = [&](std::size_t i) -> std::uint16_t {
        return i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
    };
    // The device stores its texts first character in the low byte.
    return static_cast<std::uint16_t>(at(2 * reg) | (at(2 * reg + 1) << 8));
}

std::string RegisterText(const std::string& value, std::size_t maxBytes, std::string& error)
{
    const auto t = SimText::Utf8ToCp1251(value);
    if (!t || t->size() > maxBytes) {
        error = "text must be at most " + std::to_string(maxBytes) + " characters of the device's code page";
        return {};
    }
    return *t;
}

std::uint32_t FloatBits(double v)
{
    return std::bit_cast<std::uint32_t>(static_cast<float>(v));
}

}  // namespace

DeviceRegisters::DeviceRegisters()
{
    clockBase_ = static_cast<double>(std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::system_clock::now().time_since_epoch()).count());
    GenerateJournals(0.0);
}

std::string DeviceRegisters::Analyte() const
{
    return analyte_ ? *analyte_ : (sensorAnalyte ? sensorAnalyte().substr(0, 16) : std::string());
}

std::string DeviceRegisters::Units() const
{
    return units_ ? *units_ : (sensorUnits ? sensorUnits().substr(0, 8) : std::string());
}

std::uint32_t DeviceRegisters::Clock(double seconds) const
{
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(std::floor(clockBase_ + seconds - clockOrigin_)));
}

std::string DeviceRegisters::ApplySetting(const std::string& key, const std::string& value, double seconds)
{
    std::string error;
    long long n = 0;
    double d = 0;
    if (key == "device_analyte" || key == "device_units" || key == "device_text8") {
        const std::string t = RegisterText(value, key == "device_analyte" ? 16 : 8, error);
        if (!error.empty())
            return key + ": " + error;
        if (key == "device_analyte")
            analyte_ = t;
        else if (key == "device_units")
            units_ = t;
        else
            text8_ = t;
        return {};
    }
    if (key == "calibration_date") {
        int day = 0, month = 0, year = 0;
        char dot1 = 0, dot2 = 0;
        const std::string t = SimText::Trim(value);
        if (std::sscanf(t.c_str(), "%d%c%d%c%d", &day, &dot1, &month, &dot2, &year) != 5 || dot1 != '.' || dot2 != '.'
            || day < 1 || day > 31 || month < 1 || month > 12 || year < 1 || year > 65535)
            return "calibration_date must be DD.MM.YYYY";
        calDay_ = static_cast<std::uint16_t>(day);
        calMonth_ = static_cast<std::uint16_t>(month);
        calYear_ = static_cast<std::uint16_t>(year);
        return {};
    }
    if (key == "clock") {
        if (SimText::Trim(value) == "now")
            return {};
        if (!SimText::ParseInt(value, n) || n < 0 || n > 0xFFFFFFFFLL)
            return "clock must be \"now\" or seconds since 1970-01-01 UTC";
        clockBase_ = static_cast<double>(n);
        clockOrigin_ = seconds;
        return {};
    }
    if (key == "threshold1" || key == "threshold2") {
        if (!SimText::ParseDouble(value, d) || !std::isfinite(d) || std::fabs(d) > 2000000.0)
            return key + " must be a number within +-2000000";
        (key == "threshold1" ? threshold1_ : threshold2_) = static_cast<std::int32_t>(std::lround(d * 1000.0));
        return {};
    }
    if (key == "sound_mode" || key == "o2_flag" || key == "eco_mode") {
        const long long high = key == "sound_mode" ? 3 : key == "o2_flag" ? 1 : 2;
        if (!SimText::ParseInt(value, n) || n < 0 || n > high)
            return key + " must be 0 to " + std::to_string(high);
        (key == "sound_mode" ? sound_ : key == "o2_flag" ? o2_ : eco_) = static_cast<std::uint8_t>(n);
        return {};
    }
    return "?";
}

std::string DeviceRegisters::ApplyJournalSetting(const std::string& key, const std::string& value)
{
    long long n = 0;
    const bool isEvent = key.rfind("event_", 0) == 0;
    const bool isThreshold = key.rfind("threshold_", 0) == 0;
    if (isEvent || isThreshold) {
        const std::string field = key.substr(isEvent ? 6 : 10);
        if (field != "capacity" && field != "first" && field != "last")
            return "?";
        if (!SimText::ParseInt(value, n) || n < 0 || n > RingJournal::kMaxCapacity)
            return key + " must be 0 to " + std::to_string(RingJournal::kMaxCapacity);
        JournalLayout& l = isEvent ? eventLayout_ : thresholdLayout_;
        (field == "capacity" ? l.capacity : field == "first" ? l.first : l.last) = static_cast<std::uint32_t>(n);
        return {};
    }
    if (key == "newest_time") {
        if (!SimText::ParseInt(value, n) || n < 0 || n > 0xFFFFFFFFLL)
            return "newest_time must be seconds since 1970-01-01 UTC";
        journalNewest_ = static_cast<std::uint32_t>(n);
        return {};
    }
    if (key == "interval_s") {
        if (!SimText::ParseInt(value, n) || n < 0 || n > 86400 * 366)
            return "interval_s must be 0 to 31622400";
        journalInterval_ = static_cast<std::uint32_t>(n);
        return {};
    }
    return "?";
}

std::string DeviceRegisters::GenerateJournals(double seconds)
{
    std::string error = events_.Configure(eventLayout_.capacity, eventLayout_.first, eventLayout_.last);
    if (!error.empty())
        return "event journal: " + error;
    error = thresholds_.Configure(thresholdLayout_.capacity, thresholdLayout_.first, thresholdLayout_.last);
    if (!error.empty())
        return "threshold journal: " + error;
    const std::uint32_t newest = journalNewest_ ? *journalNewest_ : Clock(seconds) - 60;
    events_.Generate(newest, journalInterval_, 1);
    thresholds_.Generate(newest - journalInterval_ / 2, journalInterval_ * 3, 1);
    return {};
}

std::optional<std::uint16_t> DeviceRegisters::Register(std::uint16_t a, double seconds) const
{
    if (a >= 1000 && a <= 1007)
        return PackedText(Analyte(), a - 1000u);
    if (a == 1008)
        return calDay_;
    if (a == 1009)
        return calMonth_;
    if (a == 1010)
        return calYear_;
    if (a == 1012 || a == 1013) {
        const std::uint32_t bits = FloatBits(concentration ? concentration(seconds) : 0.0f);
        return static_cast<std::uint16_t>(a == 1012 ? bits & 0xFFFF : bits >> 16);
    }
    if (a >= 1018 && a <= 1021)
        return PackedText(Units(), a - 1018u);
    if (a >= 1050 && a <= 1053)
        return PackedText(text8_, a - 1050u);
    if (a == 2048 || a == 2049) {
        const std::uint32_t t = Clock(seconds);
        return static_cast<std::uint16_t>(a == 2048 ? t & 0xFFFF : t >> 16);
    }
    if (a >= 2052 && a <= 2055) {
        const auto v = static_cast<std::uint32_t>(a < 2054 ? threshold1_ : threshold2_);
        return static_cast<std::uint16_t>(a % 2 == 0 ? v & 0xFFFF : v >> 16);
    }
    if (a == 2056)
        return static_cast<std::uint16_t>((sound_ << 8) | o2_);
    if (a == 2057)
        return 0;
    if (a == 2058)
        return static_cast<std::uint16_t>(eco_ << 8);
    if (a == 2059)
        return 0;
    return std::nullopt;
}

DeviceRegisters::ReadResult DeviceRegisters::Read(std::uint16_t start, std::uint16_t count, double seconds) const
{
    ReadResult r;
    if (count < 1 || count > 125) {
        r.exception = 3;
        return r;
    }
    const std::uint32_t end = static_cast<std::uint32_t>(start) + count;  // one past the last
    if (start >= kJournalState && start < kJournalState + 6) {
        if (end > kJournalState + 6u) {
            r.exception = 2;
            return r;
        }
        const std::uint16_t state[6] = {events_.First(), events_.Last(), thresholds_.First(), thresholds_.Last(),
            events_.Capacity(), thresholds_.Capacity()};
        // These six go out low byte first, unlike every other register.
        for (std::uint32_t a = start; a < end; ++a) {
            r.data.push_back(static_cast<std::uint8_t>(state[a - kJournalState] & 0xFF));
            r.data.push_back(static_cast<std::uint8_t>(state[a - kJournalState] >> 8));
        }
        return r;
    }
    if (start >= kEventBase && start < kThresholdBase + RingJournal::kMaxCapacity) {
        // The journals are addressed by record: register base + i starts
        // record i, and every record takes eight registers of the answer.
        const bool event = start < kThresholdBase;
        const RingJournal& j = event ? events_ : thresholds_;
        const std::uint32_t first = start - (event ? kEventBase : kThresholdBase);
        const std::uint32_t records = (count + 7u) / 8u;
        if (first + records > j.Capacity()) {
            r.exception = 2;
            return r;
        }
        for (std::uint32_t i = 0; i < records; ++i) {
            const auto& rec = j.At(static_cast<std::uint16_t>(first + i));
            r.data.insert(r.data.end(), rec.begin(), rec.end());
        }
        r.data.resize(2u * count);
        return r;
    }
    for (std::uint32_t a = start; a < end; ++a) {
        const auto v = Register(static_cast<std::uint16_t>(a), seconds);
        if (!v) {
            r.exception = 2;
            r.data.clear();
            return r;
        }
        r.data.push_back(static_cast<std::uint8_t>(*v >> 8));
        r.data.push_back(static_cast<std::uint8_t>(*v & 0xFF));
    }
    return r;
}

std::uint8_t DeviceRegisters::Write(std::uint16_t a, std::uint16_t value, double seconds)
{
    const std::uint32_t now = Clock(seconds);
    if (a == 2048 || a == 2049) {
        std::uint32_t t = now;
        t = a == 2048 ? (t & 0xFFFF0000u) | value : (t & 0xFFFFu) | (static_cast<std::uint32_t>(value) << 16);
        clockBase_ = t;
        clockOrigin_ = seconds;
        return 0;
    }
    if (a >= 2052 && a <= 2055) {
        std::int32_t& th = a < 2054 ? threshold1_ : threshold2_;
        auto v = static_cast<std::uint32_t>(th);
        v = a % 2 == 0 ? (v & 0xFFFF0000u) | value : (v & 0xFFFFu) | (static_cast<std::uint32_t>(value) << 16);
        th = static_cast<std::int32_t>(v);
        events_.Append(now, a < 2054 ? 7 : 8, FloatBits(th / 1000.0));
        return 0;
    }
    if (a == 2056) {
        const auto sound = static_cast<std::uint8_t>(value >> 8);
        const auto o2 = static_cast<std::uint8_t>(value & 0xFF);
        if (sound > 3)
            return 3;
        if (sound != sound_)
            events_.Append(now, 10, sound);
        if ((o2 != 0) != (o2_ != 0))
            events_.Append(now, 9, o2 != 0 ? 1u : 0u);
        sound_ = sound;
        o2_ = o2;
        return 0;
    }
    if (a == 2058) {
        const auto eco = static_cast<std::uint8_t>(value >> 8);
        if (eco > 2 || (value & 0xFF) != 0)
            return 3;
        if (eco != eco_)
            events_.Append(now, 11, eco);
        eco_ = eco;
        return 0;
    }
    if (a >= 1008 && a <= 1010) {
        (a == 1008 ? calDay_ : a == 1009 ? calMonth_ : calYear_) = value;
        return 0;
    }
    return 2;
}
