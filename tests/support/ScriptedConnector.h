#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "IConnector.h"
#include "VirtualTime.h"

using Bytes = std::vector<std::uint8_t>;

Bytes HexBytes(const std::string& hex);   // "01 04 08 00" -> bytes
Bytes TextBytes(const std::string& text);
std::string ToHex(const Bytes& bytes);
Bytes WithModbusCrc(Bytes frame);
inline Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A line driven by a script in virtual time. Each Write takes the next
// scripted reply (if any); its pieces become readable after their delays.
// Reads behave as the serial read timeout does: what is there is returned;
// with nothing there the read waits (in virtual time) for the next piece or
// for one millisecond per requested byte.
class ScriptedConnector : public IConnector {
public:
    struct Piece {
        std::uint64_t delayMs;   // after the write that triggered the reply
        Bytes bytes;
    };
    using Reply = std::vector<Piece>;

    explicit ScriptedConnector(VirtualTime& time) : time_(time) {}

    // Script: the reply to the next write that has none yet.
    void AddReply(Reply reply) { replies_.push_back(std::move(reply)); }
    void AddReply(const Bytes& bytes, std::uint64_t delayMs = 0) { replies_.push_back({{delayMs, bytes}}); }
    void AddSilence() { replies_.push_back({}); }

    void FailWrites(bool on) { failWrite_ = on; }
    void FailReads(bool on) { failRead_ = on; }

    bool Write(int unit, const std::uint8_t* data, int length) override;
    bool Read(int unit, std::uint8_t* buffer, int capacity, int& count) override;
    void PurgeInput() override;
    void Close() override { closed_ = true; }

    const std::vector<Bytes>& Written() const { return written_; }
    int Purges() const { return purges_; }
    int ReadCalls() const { return readCalls_; }
    int MaxReadCapacity() const { return maxCapacity_; }
    bool Closed() const { return closed_; }

private:
    struct Pending {
        std::uint64_t at;
        Bytes bytes;
    };
    VirtualTime& time_;
    std::deque<Reply> replies_;
    std::deque<Pending> pending_;
    std::vector<Bytes> written_;
    bool failWrite_ = false;
    bool failRead_ = false;
    bool closed_ = false;
    int purges_ = 0;
    int readCalls_ = 0;
    int maxCapacity_ = 0;
};
