#include "ScriptedConnector.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "ModbusCrc.h"

Bytes HexBytes(const std::string& hex)
{
    Bytes out;
    int nibbles = 0;
    unsigned value = 0;
    for (char c : hex) {
        int v;
        if (c >= '0' && c <= '9') v = c - '0';
        else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
        else continue;
        value = (value << 4) | static_cast<unsigned>(v);
        if (++nibbles == 2) {
            out.push_back(static_cast<std::uint8_t>(value));
            nibbles = 0;
            value = 0;
        }
    }
    if (nibbles != 0)
        throw std::invalid_argument("odd number of hex digits: " + hex);
    return out;
}

Bytes TextBytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

std::string ToHex(const Bytes& bytes)
{
    std::string out;
    char buf[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, i == 0 ? "%02X" : " %02X", bytes[i]);
        out += buf;
    }
    return out;
}

Bytes WithModbusCrc(Bytes frame)
{
    const std::uint16_t crc = ModbusCrc16(frame.data(), frame.size());
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return frame;
}

bool ScriptedConnector::Write(int, const std::uint8_t* data, int length)
{
    if (failWrite_)
        return false;
    written_.emplace_back(data, data + length);
    if (!replies_.empty()) {
        for (const Piece& p : replies_.front())
            pending_.push_back({time_.Now() + p.delayMs, p.bytes});
        replies_.pop_front();
        std::stable_sort(pending_.begin(), pending_.end(),
                         [](const Pending& a, const Pending& b) { return a.at < b.at; });
    }
    return true;
}

bool ScriptedConnector::Read(int, std::uint8_t* buffer, int capacity, int& count)
{
    ++readCalls_;
    maxCapacity_ = std::max(maxCapacity_, capacity);
    count = 0;
    if (failRead_)
        return false;
    if (capacity <= 0)
        return true;
    if (pending_.empty() || pending_.front().at > time_.Now()) {
        const std::uint64_t deadline = time_.Now() + static_cast<std::uint64_t>(capacity);
        if (pending_.empty() || pending_.front().at > deadline) {
            time_.Advance(static_cast<std::uint64_t>(capacity));
            return true;
        }
        time_.Advance(pending_.front().at - time_.Now());
    }
    // Hand over every piece that has arrived by now, up to the capacity.
    while (!pending_.empty() && pending_.front().at <= time_.Now() && count < capacity) {
        Pending& p = pending_.front();
        const int take = std::min<int>(capacity - count, static_cast<int>(p.bytes.size()));
        std::copy(p.bytes.begin(), p.bytes.begin() + take, buffer + count);
        count += take;
        p.bytes.erase(p.bytes.begin(), p.bytes.begin() + take);
        if (p.bytes.empty())
            pending_.pop_front();
    }
    return true;
}

void ScriptedConnector::PurgeInput()
{
    ++purges_;
    while (!pending_.empty() && pending_.front().at <= time_.Now())
        pending_.pop_front();
}
