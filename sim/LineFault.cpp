#include "LineFault.h"

#include <algorithm>
#include <sstream>

#include "RtuFrame.h"
#include "SimText.h"

namespace {

bool ParseCount(const std::string& token, std::uint32_t low, std::uint32_t high, std::uint32_t& out)
{
    long long v = 0;
    if (!SimText::ParseInt(token, v) || v < low || v > high)
        return false;
    out = static_cast<std::uint32_t>(v);
    return true;
}

}  // namespace

std::optional<LineFault> LineFault::Parse(std::string_view faultText, std::string& error)
{
    std::istringstream in{std::string(faultText)};
    std::vector<std::string> tokens;
    for (std::string t; in >> t;)
        tokens.push_back(t);
    if (tokens.empty()) {
        error = "empty fault";
        return std::nullopt;
    }
    LineFault f;
    if (tokens.size() > 1 && tokens.back().size() > 1 && tokens.back()[0] == 'x') {
        std::uint32_t n = 0;
        if (!ParseCount(tokens.back().substr(1), 1, 1000000, n)) {
            error = "bad repeat count \"" + tokens.back() + "\"";
            return std::nullopt;
        }
        f.remaining = static_cast<int>(n);
        tokens.pop_back();
    }
    const std::string name = SimText::ToLower(tokens[0]);
    const std::size_t args = tokens.size() - 1;
    auto bad = [&](const std::string& why) {
        error = "fault \"" + std::string(faultText) + "\": " + why;
        return std::nullopt;
    };
    if (name == "silence") {
        f.kind = Kind::Silence;
        if (args != 0)
            return bad("takes no argument");
    } else if (name == "late") {
        f.kind = Kind::Late;
        if (args != 1 || !ParseCount(tokens[1], 0, 600000, f.delayMs))
            return bad("needs a delay in milliseconds");
    } else if (name == "split") {
        f.kind = Kind::Split;
        if (args > 2 || (args >= 1 && !ParseCount(tokens[1], 2, 256, f.pieces))
            || (args == 2 && !ParseCount(tokens[2], 0, 60000, f.gapMs)))
            return bad("needs a piece count of 2 to 256 and a gap in milliseconds");
    } else if (name == "garbage" || name == "garbage-only") {
        f.kind = name == "garbage" ? Kind::Garbage : Kind::GarbageOnly;
        if (args > 1)
            return bad("takes at most one text");
        if (args == 1)
            f.garbage.assign(tokens[1].begin(), tokens[1].end());
    } else if (name == "wrong-keyword") {
        f.kind = Kind::WrongKeyword;
        if (args != 0)
            return bad("takes no argument");
    } else if (name == "bad-crc") {
        f.kind = Kind::BadCrc;
        if (args != 0)
            return bad("takes no argument");
    } else if (name == "foreign-unit") {
        f.kind = Kind::ForeignUnit;
        if (args != 0)
            return bad("takes no argument");
    } else if (name == "exception") {
        f.kind = Kind::Exception;
        std::uint32_t code = 0;
        if (args != 1 || !ParseCount(tokens[1], 1, 255, code))
            return bad("needs an exception code of 1 to 255");
        f.exceptionCode = static_cast<std::uint8_t>(code);
    } else {
        return bad("unknown kind (silence, late, split, garbage, garbage-only, wrong-keyword, bad-crc, foreign-unit, exception)");
    }
    return f;
}

void LineFault::Shape(std::vector<std::uint8_t> bytes, bool rtu, SimAnswer& answer) const
{
    std::uint32_t firstDelay = 0;
    switch (kind) {
    case Kind::Silence:
        return;
    case Kind::Late:
        firstDelay = delayMs;
        break;
    case Kind::Garbage:
        bytes.insert(bytes.begin(), garbage.begin(), garbage.end());
        break;
    case Kind::GarbageOnly:
        bytes = garbage;
        break;
    case Kind::WrongKeyword:
        if (rtu && bytes.size() >= 4) {
            // A frame has no keyword; the nearest thing is its function code.
            bytes.resize(bytes.size() - 2);
            bytes[1] = static_cast<std::uint8_t>(bytes[1] == 0x03 ? 0x05 : 0x03);
            RtuFrame::AppendCrc(bytes);
        } else if (!rtu && bytes.size() >= 5) {
            bytes[3] = 'Z';
            bytes[4] = 'Z';
        }
        break;
    case Kind::BadCrc:
        if (rtu && !bytes.empty())
            bytes.back() = static_cast<std::uint8_t>(bytes.back() ^ 0x5A);
        else if (!rtu && bytes.size() > 3)
            bytes[bytes.size() - 3] = static_cast<std::uint8_t>(bytes[bytes.size() - 3] ^ 0x01);
        break;
    case Kind::ForeignUnit:
        if (rtu && bytes.size() >= 4) {
            bytes.resize(bytes.size() - 2);
            bytes[0] = static_cast<std::uint8_t>(bytes[0] + 1);
            RtuFrame::AppendCrc(bytes);
        }
        break;
    case Kind::Split:
    case Kind::Exception:
        break;
    }
    if (kind == Kind::Split && bytes.size() >= 2) {
        const std::size_t n = std::min<std::size_t>(pieces, bytes.size());
        const std::size_t size = bytes.size() / n;
        std::size_t at = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t len = (i + 1 == n) ? bytes.size() - at : size;
            SimPiece p;
            p.delayMs = i == 0 ? 0 : gapMs;
            p.bytes.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + len));
            answer.push_back(std::move(p));
            at += len;
        }
        return;
    }
    SimPiece p;
    p.delayMs = firstDelay;
    p.bytes = std::move(bytes);
    answer.push_back(std::move(p));
}

bool LineFault::FramingFree() const
{
    switch (kind) {
    case Kind::Silence:
    case Kind::Late:
    case Kind::Split:
    case Kind::Garbage:
    case Kind::GarbageOnly:
        return true;
    case Kind::WrongKeyword:
    case Kind::BadCrc:
    case Kind::ForeignUnit:
    case Kind::Exception:
        break;
    }
    return false;
}

SimAnswer ShapedAnswer(const std::optional<LineFault>& fault, std::vector<std::uint8_t> bytes, bool rtu)
{
    SimAnswer answer;
    if (fault)
        fault->Shape(std::move(bytes), rtu, answer);
    else
        answer.push_back({0, std::move(bytes)});
    return answer;
}
