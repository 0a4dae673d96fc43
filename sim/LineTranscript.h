#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "LineDevice.h"

// The file `detector-sim --record FILE` writes for manual work: one line per
// request a device received and per answer it gave, in order, as
//
//     2026-03-05 14:07:31.204 device -> @RRIS
//     2026-03-05 14:07:31.204 device <- @RAIS 1234567
//     2026-03-05 14:07:31.480 device -> [01 04 03 E8 00 08 F1 BC]
//     2026-03-05 14:07:31.480 device <- (silence)
//
// Text lines (printable, ending in CR LF) stand as text without the CR LF,
// everything else as hex bytes in brackets. The time is when the request
// was complete and when its answer was made (the line may pace it later).
// Each line is flushed at once, so the file can be watched while it grows.
class LineTranscript {
public:
    // Creates or truncates the file; throws std::runtime_error when it
    // cannot.
    explicit LineTranscript(const std::string& path);
    ~LineTranscript();
    LineTranscript(const LineTranscript&) = delete;
    LineTranscript& operator=(const LineTranscript&) = delete;

    void Request(const std::string& line, const std::vector<std::uint8_t>& bytes);
    void Answer(const std::string& line, const SimAnswer& answer);

    // "@RAIS 1" for a text line, "[01 04 ...]" for anything else.
    static std::string Describe(const std::vector<std::uint8_t>& bytes);

private:
    void Write(const std::string& line, const char* direction, const std::string& what);

    std::mutex mutex_;
    std::FILE* file_ = nullptr;
};

// A device whose requests and answers go to a transcript on their way.
class RecordedLineDevice : public LineDevice {
public:
    RecordedLineDevice(LineDevice& device, std::string line, std::shared_ptr<LineTranscript> transcript);

    void Feed(const std::uint8_t* data, std::size_t length, std::vector<SimAnswer>& answers) override;
    void LineIdle() override;

private:
    LineDevice& device_;
    const std::string line_;
    std::shared_ptr<LineTranscript> transcript_;
    std::vector<std::uint8_t> partial_;   // bytes of the request not complete yet
};
