#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "RingJournal.h"

// The detector's own input registers and its two ring journals, as Modbus
// function 4 reads them and function 6 writes them. Not thread-safe: the
// detector guards it.
class DeviceRegisters {
public:
    struct ReadResult {
        std::uint8_t exception = 0;       // 0: `data` holds the register bytes
        std::vector<std::uint8_t> data;
    };

    DeviceRegisters();

    // A [detector] or [journal] scenario key; returns an error text, empty
    // when taken, "?" when the key is not the registers'.
    std::string ApplySetting(const std::string& key, const std::string& value, double seconds);
    std::string ApplyJournalSetting(const std::string& key, const std::string& value);
    // Lays the journals out as the settings say and fills them with events
    // of every type; returns an error text, empty when the layout is sound.
    std::string GenerateJournals(double seconds);

    ReadResult Read(std::uint16_t start, std::uint16_t count, double seconds) const;
    // 0 when written, else the exception code.
    std::uint8_t Write(std::uint16_t address, std::uint16_t value, double seconds);

    // Where the device takes what it shows of the sensor.
    std::function<float(double)> concentration;
    std::function<std::string()> sensorAnalyte;
    std::function<std::string()> sensorUnits;

    std::uint32_t Clock(double seconds) const;
    double Threshold1() const { return threshold1_ / 1000.0; }
    double Threshold2() const { return threshold2_ / 1000.0; }
    std::uint8_t SoundMode() const { return sound_; }
    std::uint8_t O2Flag() const { return o2_; }
    std::uint8_t EcoMode() const { return eco_; }
    RingJournal& EventJournal() { return events_; }
    RingJournal& ThresholdJournal() { return thresholds_; }
    const RingJournal& EventJournal() const { return events_; }
    const RingJournal& ThresholdJournal() const { return thresholds_; }

    static constexpr std::uint16_t kEventBase = 0x4000;
    static constexpr std::uint16_t kThresholdBase = 0x5000;
    static constexpr std::uint16_t kJournalState = 0x3FF0;

private:
    // One plain 16-bit register, or nothing for an address outside the map.
    std::optional<std::uint16_t> Register(std::uint16_t address, double seconds) const;
    std::string Analyte() const;
    std::string Units() const;

    std::optional<std::string> analyte_;
    std::optional<std::string> units_;
    std::string text8_ = "KSD-4R";
    std::uint16_t calDay_ = 22;
    std::uint16_t calMonth_ = 1;
    std::uint16_t calYear_ = 2024;
    double clockBase_ = 0.0;     // device time at `clockOrigin_`
    double clockOrigin_ = 0.0;
    std::int32_t threshold1_ = 20000;
    std::int32_t threshold2_ = 40000;
    std::uint8_t sound_ = 3;
    std::uint8_t o2_ = 0;
    std::uint8_t eco_ = 0;
    struct JournalLayout {
        std::uint32_t capacity;
        std::uint32_t first;
        std::uint32_t last;
    };
    JournalLayout eventLayout_{100, 90, 10};
    JournalLayout thresholdLayout_{60, 0, 40};
    RingJournal events_;
    RingJournal thresholds_;
    std::optional<std::uint32_t> journalNewest_;
    std::uint32_t journalInterval_ = 900;
};
