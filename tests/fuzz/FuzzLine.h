#pragma once

// What the fuzz targets share: a line that answers every write with the bytes
// the fuzzer chose, handed out in pieces of a chosen size, and a clock that
// never sleeps, so that one input runs in microseconds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "IConnector.h"
#include "ITimeSource.h"

class FuzzLine : public IConnector {
public:
    // `answer` is what arrives after each write, `piece` bytes per read (0: all).
    FuzzLine(std::vector<std::uint8_t> answer, std::size_t piece) : answer_(std::move(answer)), piece_(piece) {}

    bool Write(int, const std::uint8_t*, int) override
    {
        pending_ = answer_;
        at_ = 0;
        return true;
    }
    bool Read(int, std::uint8_t* buffer, int capacity, int& count) override
    {
        std::size_t n = std::min(pending_.size() - at_, static_cast<std::size_t>(capacity < 0 ? 0 : capacity));
        if (piece_ != 0)
            n = std::min(n, piece_);
        if (n > 0)
            std::memcpy(buffer, pending_.data() + at_, n);
        at_ += n;
        count = static_cast<int>(n);
        return true;
    }
    void PurgeInput() override { at_ = pending_.size(); }

private:
    std::vector<std::uint8_t> answer_;
    std::vector<std::uint8_t> pending_;
    std::size_t at_ = 0;
    std::size_t piece_;
};

class NoSleep : public ITimeSource {
public:
    void SleepMs(std::uint32_t) override {}
    std::uint32_t TickMs() override { return 0; }
    std::tm LocalNow() override { return std::tm{}; }
};

// The fuzzer's bytes: the first chooses how the rest is served.
struct FuzzInput {
    std::size_t piece = 0;   // bytes per read, 0 for all at once
    bool fixCheck = false;   // make the frame's check value right, so the parse goes deeper
    std::vector<std::uint8_t> bytes;

    FuzzInput(const std::uint8_t* data, std::size_t size)
    {
        if (size == 0)
            return;
        piece = data[0] & 0x0F;
        fixCheck = (data[0] & 0x10) != 0;
        bytes.assign(data + 1, data + size);
    }
};
