#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "HartDevice.h"
#include "HartPackedAscii.h"
#include "HartRequestReader.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The frames here are put together from the published layout by the test
// itself, so a mistake in the device's own frame code cannot hide in both.
std::uint8_t Xor(const Bytes& bytes, std::size_t from)
{
    std::uint8_t check = 0;
    for (std::size_t i = from; i < bytes.size(); ++i) {
        check ^= bytes[i];
    }
    return check;
}

// Five preambles, then delimiter .. data with the byte count and check byte.
Bytes Request(std::uint8_t delimiter, const Bytes& address, std::uint8_t command, const Bytes& data = {},
              std::size_t preambles = 5)
{
    Bytes out(preambles, 0xFF);
    out.push_back(delimiter);
    out.insert(out.end(), address.begin(), address.end());
    out.push_back(command);
    out.push_back(static_cast<std::uint8_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    out.push_back(Xor(out, preambles));
    return out;
}

Bytes Short(std::uint8_t pollingAddress, std::uint8_t command, const Bytes& data = {})
{
    return Request(0x02, {static_cast<std::uint8_t>(0x80 | pollingAddress)}, command, data);
}

// Default identity: manufacturer 0x2A, device type 0x51, device id 0x0012AB.
const Bytes kLongAddress = {0xAA, 0x51, 0x00, 0x12, 0xAB};

Bytes Long(std::uint8_t command, const Bytes& data = {})
{
    return Request(0x82, kLongAddress, command, data);
}

Bytes Flatten(const SimAnswer& answer)
{
    Bytes out;
    for (const auto& piece : answer) {
        out.insert(out.end(), piece.bytes.begin(), piece.bytes.end());
    }
    return out;
}

std::vector<SimAnswer> FeedAll(HartDevice& device, const Bytes& bytes)
{
    std::vector<SimAnswer> answers;
    device.Feed(bytes.data(), bytes.size(), answers);
    return answers;
}

// The one answer that a single request gives, as it goes out on the line.
Bytes Ask(HartDevice& device, const Bytes& request)
{
    const auto answers = FeedAll(device, request);
    EXPECT_EQ(answers.size(), 1u);
    return answers.empty() ? Bytes{} : Flatten(answers.front());
}

float Real(const Bytes& b, std::size_t at)
{
    const std::uint32_t bits = std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 |
                               std::uint32_t{b[at + 2]} << 8 | b[at + 3];
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

Bytes RealBytes(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return {static_cast<std::uint8_t>(bits >> 24), static_cast<std::uint8_t>(bits >> 16),
            static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits)};
}

// An answer taken apart as a master reads it.
struct Parsed {
    bool ok = false;
    std::size_t preambles = 0;
    std::uint8_t delimiter = 0;
    Bytes address;
    std::uint8_t command = 0;
    std::uint8_t responseCode = 0;
    std::uint8_t status = 0;
    Bytes data;
};

Parsed Parse(const Bytes& answer)
{
    Parsed p;
    std::size_t i = 0;
    while (i < answer.size() && answer[i] == 0xFF) {
        ++i;
    }
    p.preambles = i;
    if (p.preambles < 2 || i >= answer.size()) {
        return p;
    }
    const std::size_t start = i;
    p.delimiter = answer[i++];
    const std::size_t addressLength = (p.delimiter & 0x80) ? 5 : 1;
    if (i + addressLength + 2 > answer.size()) {
        return p;
    }
    p.address.assign(answer.begin() + static_cast<std::ptrdiff_t>(i),
                     answer.begin() + static_cast<std::ptrdiff_t>(i + addressLength));
    i += addressLength;
    p.command = answer[i++];
    const std::size_t count = answer[i++];
    if (count < 2 || i + count + 1 != answer.size()) {
        return p;
    }
    p.responseCode = answer[i];
    p.status = answer[i + 1];
    p.data.assign(answer.begin() + static_cast<std::ptrdiff_t>(i + 2),
                  answer.begin() + static_cast<std::ptrdiff_t>(i + count));
    Bytes framed(answer.begin() + static_cast<std::ptrdiff_t>(start), answer.end() - 1);
    p.ok = Xor(framed, 0) == answer.back();
    return p;
}

HartDeviceSettings Quiet()
{
    HartDeviceSettings s;
    s.pvNoise = 0.0;
    return s;
}

// ---------------------------------------------------------------------------

TEST(sim_hart, Command0AtPollingAddress0AnswersByteForByte)
{
    HartDevice device(Quiet());
    const Bytes request = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x80, 0x00, 0x00, 0x82};
    const Bytes expected = {
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF,  // preambles
        0x06,                          // short-address response
        0x80,                          // primary master, polling address 0
        0x00,                          // command 0
        0x18,                          // status bytes + 22 data bytes
        0x00, 0x00,                    // response code, field-device status
        0xFE,                          // expanded identity layout
        0x2A, 0x51,                    // expanded device type
        0x05,                          // preambles wanted in requests
        0x07, 0x01, 0x03,              // universal, device, software revision
        0x10,                          // hardware revision 2, signalling 0
        0x00,                          // flags
        0x00, 0x12, 0xAB,              // device identifier
        0x05,                          // preambles in responses
        0x01,                          // device variables
        0x00, 0x00,                    // configuration change counter
        0x00,                          // extended status
        0x00, 0x2A,                    // manufacturer
        0x00, 0x2A,                    // private label distributor
        0x01,                          // device profile
        0xB7,                          // check byte
    };
    const auto answers = FeedAll(device, request);
    ASSERT_EQ(answers.size(), 1u);
    ASSERT_EQ(answers[0].size(), 1u);
    EXPECT_EQ(answers[0][0].delayMs, 0u);
    EXPECT_EQ(answers[0][0].bytes, expected);
}

TEST(sim_hart, ShortAddressAnswersOnlyAtItsPollingAddress)
{
    HartDeviceSettings settings = Quiet();
    settings.pollingAddress = 5;
    HartDevice device(settings);

    for (std::uint8_t a = 0; a < 64; ++a) {
        const auto answer = Ask(device, Short(a, 0));
        if (a == 5) {
            const auto p = Parse(answer);
            ASSERT_TRUE(p.ok);
            EXPECT_EQ(p.address, Bytes{0x85});
        } else {
            EXPECT_TRUE(answer.empty()) << "polling address " << int(a);
        }
    }
    // A secondary master gets its own address bit back.
    const auto secondary = Parse(Ask(device, Request(0x02, {0x05}, 0)));
    ASSERT_TRUE(secondary.ok);
    EXPECT_EQ(secondary.address, Bytes{0x05});

    const auto frames = device.ReceivedFrames();
    ASSERT_EQ(frames.size(), 65u);
    EXPECT_FALSE(frames[4].addressed);
    EXPECT_TRUE(frames[5].addressed);
    EXPECT_EQ(frames[5].address, Bytes{0x85});
    EXPECT_FALSE(frames[5].longAddress);
}

TEST(sim_hart, LongAddressMustMatchTheUniqueId)
{
    struct Case {
        const char* name;
        Bytes address;
        bool answered;
    };
    const Case cases[] = {
        {"own id", kLongAddress, true},
        {"own id, secondary master", {0x2A, 0x51, 0x00, 0x12, 0xAB}, true},
        {"other manufacturer", {0xAB, 0x51, 0x00, 0x12, 0xAB}, false},
        {"other device type", {0xAA, 0x52, 0x00, 0x12, 0xAB}, false},
        {"other device id, high byte", {0xAA, 0x51, 0x01, 0x12, 0xAB}, false},
        {"other device id, low byte", {0xAA, 0x51, 0x00, 0x12, 0xAC}, false},
        {"broadcast", {0x80, 0x00, 0x00, 0x00, 0x00}, false},
    };
    for (const auto& c : cases) {
        HartDevice device(Quiet());
        const auto answer = Ask(device, Request(0x82, c.address, 1));
        if (!c.answered) {
            EXPECT_TRUE(answer.empty()) << c.name;
            continue;
        }
        const auto p = Parse(answer);
        ASSERT_TRUE(p.ok) << c.name;
        EXPECT_EQ(p.delimiter, 0x86) << c.name;
        EXPECT_EQ(p.address, c.address) << c.name;
        EXPECT_EQ(p.command, 1) << c.name;
        EXPECT_EQ(p.responseCode, 0) << c.name;
        EXPECT_EQ(p.data, (Bytes{139, 0x41, 0xC8, 0x00, 0x00})) << c.name;  // 25.0 ppm
    }
}

TEST(sim_hart, FindsRequestsWhateverComesAroundThem)
{
    const Bytes good = Short(0, 0);
    const Bytes body(good.begin() + 5, good.end());  // without preambles
    auto withPreambles = [&](std::size_t n, const Bytes& before = {}) {
        Bytes out = before;
        out.insert(out.end(), n, 0xFF);
        out.insert(out.end(), body.begin(), body.end());
        return out;
    };
    struct Case {
        const char* name;
        Bytes stream;
        std::size_t chunk;  // fed this many bytes at a time
        std::vector<bool> answered;
    };
    const Case cases[] = {
        {"five preambles", good, 1000, {true}},
        {"two preambles", withPreambles(2), 1000, {true}},
        {"twenty preambles", withPreambles(20), 1000, {true}},
        {"one preamble is not enough", withPreambles(1), 1000, {}},
        {"stray bytes first", withPreambles(5, {0x00, 0x13, 0xFF, 0x42, 0x06}), 1000, {true}},
        {"byte by byte", good, 1, {true}},
        {"three at a time", good, 3, {true}},
        {"a response from another device is passed over",
         Request(0x06, {0x80}, 0, {0x00, 0x00}), 1000, {}},
        {"two requests back to back", [&] {
             Bytes two = Short(1, 0);
             two.insert(two.end(), good.begin(), good.end());
             return two;
         }(), 1000, {false, true}},
    };
    for (const auto& c : cases) {
        HartDevice device(Quiet());
        std::vector<SimAnswer> answers;
        for (std::size_t at = 0; at < c.stream.size(); at += c.chunk) {
            device.Feed(c.stream.data() + at, std::min(c.chunk, c.stream.size() - at), answers);
        }
        ASSERT_EQ(answers.size(), c.answered.size()) << c.name;
        for (std::size_t i = 0; i < answers.size(); ++i) {
            const auto p = Parse(Flatten(answers[i]));
            EXPECT_EQ(p.ok, c.answered[i]) << c.name << " answer " << i;
            if (p.ok) {
                EXPECT_EQ(p.data.size(), 22u) << c.name;
            }
        }
    }
}

TEST(sim_hart, RequestWithWrongCheckByteIsCountedAndNotAnswered)
{
    HartDevice device(Quiet());
    Bytes damaged = Short(0, 0);
    damaged.back() ^= 0x20;
    EXPECT_TRUE(Ask(device, damaged).empty());
    EXPECT_EQ(device.BadCheckCount(), 1u);
    EXPECT_TRUE(device.ReceivedFrames().empty());

    // Damage in the middle of a frame costs that frame only.
    Bytes flipped = Long(2);
    flipped[7] ^= 0x01;
    EXPECT_TRUE(Ask(device, flipped).empty());
    EXPECT_EQ(device.BadCheckCount(), 2u);
    EXPECT_TRUE(Parse(Ask(device, Short(0, 0))).ok);
}

TEST(sim_hart, LineIdleDropsAPartialRequest)
{
    HartDevice device(Quiet());
    const Bytes request = Long(1);
    const std::size_t half = request.size() / 2;
    std::vector<SimAnswer> answers;
    device.Feed(request.data(), half, answers);
    EXPECT_GT(device.HeldBytes(), 0u);
    device.LineIdle();
    EXPECT_EQ(device.HeldBytes(), 0u);
    device.Feed(request.data() + half, request.size() - half, answers);
    EXPECT_TRUE(answers.empty());
    EXPECT_TRUE(Parse(Ask(device, request)).ok);
}

TEST(sim_hart, PackedAsciiAgainstHandPackedBytes)
{
    // "GD-0001 ": codes 7 4 45 48 | 48 48 49 32, six bits each, first on top.
    const Bytes tag = {0x1C, 0x4B, 0x70, 0xC3, 0x0C, 0x60};
    EXPECT_EQ(PackHartAscii("GD-0001", 8), tag);
    EXPECT_EQ(PackHartAscii("gd-0001", 8), tag);
    EXPECT_EQ(UnpackHartAscii(tag.data(), tag.size()), "GD-0001 ");
    const Bytes blanks = {0x82, 0x08, 0x20};
    EXPECT_EQ(UnpackHartAscii(blanks.data(), blanks.size()), "    ");
    EXPECT_EQ(PackHartAscii("", 4), blanks);
    // "A" is code 1, "!" code 33, "@" code 0, "_" code 31.
    const Bytes edges = {0x06, 0x10, 0x1F};
    EXPECT_EQ(PackHartAscii("A!@_", 4), edges);
    EXPECT_EQ(UnpackHartAscii(edges.data(), edges.size()), "A!@_");
    EXPECT_FALSE(IsHartPackable("a~b"));
    EXPECT_TRUE(IsHartPackable("TAG_01 [X]"));

    HartDevice device(Quiet());
    const auto p = Parse(Ask(device, Long(13)));
    ASSERT_TRUE(p.ok);
    ASSERT_EQ(p.data.size(), 21u);
    EXPECT_EQ(Bytes(p.data.begin(), p.data.begin() + 6), tag);
    EXPECT_EQ(UnpackHartAscii(p.data.data() + 6, 12), "GAS DETECTOR    ");
    EXPECT_EQ(p.data[18], 15);
    EXPECT_EQ(p.data[19], 3);
    EXPECT_EQ(p.data[20], 124);  // 2024 - 1900
}

TEST(sim_hart, ReadCommandsCarryTheSettings)
{
    HartDeviceSettings settings = Quiet();
    settings.pv = 4.5;
    settings.pvUnit = 139;
    settings.rangeUpper = 18.0;  // 4.5 of 18 is 25 %: 8 mA
    settings.message = "calibrated 15.03.2024";
    settings.longTag = "Kessel \xDC";
    HartDevice device(settings);

    struct Case {
        std::uint8_t command;
        Bytes data;
    };
    Bytes longTag = {'K', 'e', 's', 's', 'e', 'l', ' ', 0xDC};
    longTag.resize(32, 0x00);
    Bytes transducer = {0x04, 0x40, 0x01, 139};
    for (float f : {100.0f, 0.0f, 10.0f}) {
        const auto b = RealBytes(f);
        transducer.insert(transducer.end(), b.begin(), b.end());
    }
    const Case cases[] = {
        {1, {139, 0x40, 0x90, 0x00, 0x00}},
        {2, {0x41, 0x00, 0x00, 0x00, 0x41, 0xC8, 0x00, 0x00}},  // 8 mA, 25 %
        {7, {0x00, 0x01}},
        {12, PackHartAscii("CALIBRATED 15.03.2024", 32)},
        {14, transducer},
        {20, longTag},
    };
    for (const auto& c : cases) {
        const auto p = Parse(Ask(device, Long(c.command)));
        ASSERT_TRUE(p.ok) << int(c.command);
        EXPECT_EQ(p.responseCode, 0) << int(c.command);
        EXPECT_EQ(p.status, 0) << int(c.command);
        EXPECT_EQ(p.data, c.data) << int(c.command);
    }
    EXPECT_EQ(UnpackHartAscii(PackHartAscii(settings.message, 32).data(), 24),
              "CALIBRATED 15.03.2024           ");
}

TEST(sim_hart, Command40EntersAndLeavesFixedCurrent)
{
    HartDevice device(Quiet());
    EXPECT_FALSE(device.FixedCurrentMode());

    auto p = Parse(Ask(device, Long(40, RealBytes(12.0f))));
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.responseCode, 0);
    EXPECT_EQ(p.data, (Bytes{0x41, 0x40, 0x00, 0x00}));
    EXPECT_EQ(p.status & HartDevice::kStatusLoopCurrentFixed, HartDevice::kStatusLoopCurrentFixed);
    EXPECT_TRUE(device.FixedCurrentMode());
    EXPECT_FLOAT_EQ(device.FixedCurrent(), 12.0f);

    p = Parse(Ask(device, Long(2)));
    ASSERT_TRUE(p.ok);
    EXPECT_FLOAT_EQ(Real(p.data, 0), 12.0f);
    EXPECT_FLOAT_EQ(Real(p.data, 4), 50.0f);

    // Command 3 carries the fixed current too, then the reading with its unit.
    p = Parse(Ask(device, Long(3)));
    ASSERT_TRUE(p.ok);
    ASSERT_EQ(p.data.size(), 9u);
    EXPECT_FLOAT_EQ(Real(p.data, 0), 12.0f);
    EXPECT_EQ(p.data[4], 139);
    EXPECT_FLOAT_EQ(Real(p.data, 5), 25.0f);

    // The current stays fixed across other requests until it is released.
    for (std::uint8_t command : {0, 1, 7, 13})
        ASSERT_TRUE(Parse(Ask(device, Long(command))).ok);
    EXPECT_FLOAT_EQ(device.FixedCurrent(), 12.0f);

    p = Parse(Ask(device, Long(40, RealBytes(0.0f))));
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.responseCode, 0);
    EXPECT_EQ(p.data, (Bytes{0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(p.status & HartDevice::kStatusLoopCurrentFixed, 0);
    EXPECT_FALSE(device.FixedCurrentMode());

    p = Parse(Ask(device, Long(2)));
    EXPECT_FLOAT_EQ(Real(p.data, 0), 8.0f);  // back to following pv: 25 % of 0..100
    p = Parse(Ask(device, Long(3)));
    EXPECT_FLOAT_EQ(Real(p.data, 0), 8.0f);
}

TEST(sim_hart, Command40RefusesWhatItCannotDo)
{
    struct Case {
        const char* name;
        Bytes data;
        bool multidrop;
        std::uint8_t responseCode;
    };
    const Case cases[] = {
        {"above the loop's range", RealBytes(25.0f), false, HartDevice::kTooLarge},
        {"below the loop's range", RealBytes(1.0f), false, HartDevice::kTooSmall},
        {"negative", RealBytes(-4.0f), false, HartDevice::kTooSmall},
        {"not a number", {0x7F, 0xC0, 0x00, 0x00}, false, HartDevice::kTooSmall},
        {"current cut short", {0x41, 0x40}, false, HartDevice::kTooFewDataBytes},
        {"multidrop", RealBytes(12.0f), true, HartDevice::kLoopCurrentNotActive},
    };
    for (const auto& c : cases) {
        HartDeviceSettings settings = Quiet();
        settings.loopCurrentMode = c.multidrop ? 0 : 1;
        HartDevice device(settings);
        const auto p = Parse(Ask(device, Long(40, c.data)));
        ASSERT_TRUE(p.ok) << c.name;
        EXPECT_EQ(p.responseCode, c.responseCode) << c.name;
        EXPECT_TRUE(p.data.empty()) << c.name;
        EXPECT_FALSE(device.FixedCurrentMode()) << c.name;
    }
}

TEST(sim_hart, UnimplementedCommandsGiveResponseCode64)
{
    HartDeviceSettings settings = Quiet();
    settings.noCommand20 = true;
    HartDevice device(settings);
    for (std::uint8_t command : {20, 6, 41, 48, 255}) {
        const auto p = Parse(Ask(device, Long(command)));
        ASSERT_TRUE(p.ok) << int(command);
        EXPECT_EQ(p.command, command);
        EXPECT_EQ(p.responseCode, HartDevice::kCommandNotImplemented) << int(command);
        EXPECT_TRUE(p.data.empty()) << int(command);
    }
    ASSERT_TRUE(device.ApplyScenarioKey("no_command_20", "0"));
    const auto p = Parse(Ask(device, Long(20)));
    EXPECT_EQ(p.responseCode, 0);
    EXPECT_EQ(p.data.size(), 32u);
}

TEST(sim_hart, EachFaultShowsInTheAnswer)
{
    HartDevice reference(Quiet());
    const Bytes clean = Ask(reference, Long(1));
    ASSERT_TRUE(Parse(clean).ok);

    struct Case {
        const char* name;
        HartFaults faults;
        void (*check)(const SimAnswer& answer, const Bytes& clean);
    };
    auto fault = [](auto set) {
        HartFaults f;
        set(f);
        return f;
    };
    const Case cases[] = {
        {"silent", fault([](HartFaults& f) { f.silent = true; }),
         [](const SimAnswer& a, const Bytes&) { EXPECT_TRUE(a.empty()); }},
        {"late", fault([](HartFaults& f) { f.delayMs = 700; }),
         [](const SimAnswer& a, const Bytes& clean) {
             ASSERT_EQ(a.size(), 1u);
             EXPECT_EQ(a[0].delayMs, 700u);
             EXPECT_EQ(a[0].bytes, clean);
         }},
        {"in pieces", fault([](HartFaults& f) {
             f.splitBytes = 4;
             f.splitGapMs = 30;
             f.delayMs = 5;
         }),
         [](const SimAnswer& a, const Bytes& clean) {
             ASSERT_EQ(a.size(), (clean.size() + 3) / 4);
             EXPECT_EQ(a[0].delayMs, 5u);
             for (std::size_t i = 1; i < a.size(); ++i) {
                 EXPECT_EQ(a[i].delayMs, 30u);
                 EXPECT_LE(a[i].bytes.size(), 4u);
             }
             EXPECT_EQ(Flatten(a), clean);
         }},
        {"garbage first", fault([](HartFaults& f) { f.garbage = {0x00, 0x13, 0x5A}; }),
         [](const SimAnswer& a, const Bytes& clean) {
             Bytes expected = {0x00, 0x13, 0x5A};
             expected.insert(expected.end(), clean.begin(), clean.end());
             EXPECT_EQ(Flatten(a), expected);
         }},
        {"bad check byte", fault([](HartFaults& f) { f.badCheckByte = true; }),
         [](const SimAnswer& a, const Bytes& clean) {
             const Bytes got = Flatten(a);
             ASSERT_EQ(got.size(), clean.size());
             EXPECT_TRUE(std::equal(got.begin(), got.end() - 1, clean.begin()));
             EXPECT_NE(got.back(), clean.back());
             EXPECT_FALSE(Parse(got).ok);
         }},
        {"burst bit", fault([](HartFaults& f) { f.burstBit = true; }),
         [](const SimAnswer& a, const Bytes&) {
             const auto p = Parse(Flatten(a));
             ASSERT_TRUE(p.ok);
             EXPECT_EQ(p.address, (Bytes{0xEA, 0x51, 0x00, 0x12, 0xAB}));
         }},
        {"response code", fault([](HartFaults& f) { f.responseCode = 16; }),
         [](const SimAnswer& a, const Bytes&) {
             const auto p = Parse(Flatten(a));
             ASSERT_TRUE(p.ok);
             EXPECT_EQ(p.responseCode, 16);
             EXPECT_TRUE(p.data.empty());
         }},
        {"fault on another command", fault([](HartFaults& f) {
             f.silent = true;
             f.command = 2;
         }),
         [](const SimAnswer& a, const Bytes& clean) { EXPECT_EQ(Flatten(a), clean); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HartDevice device(Quiet(), c.faults);
        const auto answers = FeedAll(device, Long(1));
        ASSERT_EQ(answers.size(), 1u);
        c.check(answers[0], clean);
        // The device heard the request whatever it did with it.
        EXPECT_EQ(device.ReceivedFrames().size(), 1u);
    }
}

TEST(sim_hart, FaultsLastForTheirCountAndChangeAtRunTime)
{
    HartFaults faults;
    faults.badCheckByte = true;
    faults.count = 2;
    HartDevice device(Quiet(), faults);
    EXPECT_FALSE(Parse(Ask(device, Long(1))).ok);
    EXPECT_FALSE(Parse(Ask(device, Long(1))).ok);
    EXPECT_TRUE(Parse(Ask(device, Long(1))).ok);
    EXPECT_FALSE(device.Faults().Any());

    // A silent device does not carry out what it did not answer.
    HartFaults silent;
    silent.silent = true;
    device.SetFaults(silent);
    EXPECT_TRUE(Ask(device, Long(40, RealBytes(10.0f))).empty());
    EXPECT_FALSE(device.FixedCurrentMode());
    device.ClearFaults();
    EXPECT_TRUE(Parse(Ask(device, Long(40, RealBytes(10.0f)))).ok);
    EXPECT_TRUE(device.FixedCurrentMode());
}

TEST(sim_hart, ScenarioKeysSetTheDevice)
{
    HartDevice device;
    struct Key {
        const char* key;
        const char* value;
    };
    const Key keys[] = {
        {"polling_address", "7"},
        {"manufacturer_id", "0x11"},
        {"device_type", "0xE2"},
        {"device_id", "0x123456"},
        {"tag", "tx-7"},
        {"descriptor", "BOILER ROOM"},
        {"date", "01.12.1999"},
        {"message", "HELLO"},
        {"long_tag", "Kessel \xC3\x9C"},  // UTF-8 in the file
        {"pv", "250"},
        {"pv_unit", "170"},
        {"pv_noise", "0"},
        {"loop_current", "3.6"},
        {"sensor_serial", "0x044001"},
        {"sensor_upper", "1e3"},
        {"device_status", "0x10"},
        {"response_preambles", "3"},
    };
    for (const auto& k : keys) {
        EXPECT_TRUE(device.ApplyScenarioKey(k.key, k.value)) << k.key;
    }
    const Bytes address = {0x91, 0xE2, 0x12, 0x34, 0x56};

    auto p = Parse(Ask(device, Short(7, 0)));
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.preambles, 3u);
    EXPECT_EQ(p.status, 0x10);
    EXPECT_EQ(Bytes(p.data.begin() + 1, p.data.begin() + 3), (Bytes{0x11, 0xE2}));
    EXPECT_EQ(Bytes(p.data.begin() + 9, p.data.begin() + 12), (Bytes{0x12, 0x34, 0x56}));

    p = Parse(Ask(device, Request(0x82, address, 1)));
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.data, (Bytes{170, 0x43, 0x7A, 0x00, 0x00}));  // 250 g/m3

    p = Parse(Ask(device, Request(0x82, address, 2)));
    EXPECT_FLOAT_EQ(Real(p.data, 0), 3.6f);

    p = Parse(Ask(device, Request(0x82, address, 13)));
    EXPECT_EQ(UnpackHartAscii(p.data.data(), 6), "TX-7    ");
    EXPECT_EQ(UnpackHartAscii(p.data.data() + 6, 12), "BOILER ROOM     ");
    EXPECT_EQ(Bytes(p.data.begin() + 18, p.data.end()), (Bytes{1, 12, 99}));

    p = Parse(Ask(device, Request(0x82, address, 20)));
    EXPECT_EQ(Bytes(p.data.begin(), p.data.begin() + 9), (Bytes{'K', 'e', 's', 's', 'e', 'l', ' ', 0xDC, 0x00}));

    p = Parse(Ask(device, Request(0x82, address, 14)));
    EXPECT_EQ(Bytes(p.data.begin(), p.data.begin() + 4), (Bytes{0x04, 0x40, 0x01, 170}));
    EXPECT_FLOAT_EQ(Real(p.data, 4), 1000.0f);

    // Run-time faults by key, then cleared the same way.
    EXPECT_TRUE(device.ApplyScenarioKey("fault_garbage", "00 13 5a"));
    EXPECT_TRUE(device.ApplyScenarioKey("fault_delay_ms", "250"));
    const auto answers = FeedAll(device, Short(7, 0));
    ASSERT_EQ(answers.size(), 1u);
    ASSERT_FALSE(answers[0].empty());
    EXPECT_EQ(answers[0][0].delayMs, 250u);
    EXPECT_EQ(Bytes(answers[0][0].bytes.begin(), answers[0][0].bytes.begin() + 3), (Bytes{0x00, 0x13, 0x5A}));
    EXPECT_TRUE(device.ApplyScenarioKey("fault_clear", ""));
    EXPECT_FALSE(device.Faults().Any());

    EXPECT_TRUE(device.ApplyScenarioKey("fixed_current", "20"));
    EXPECT_TRUE(device.FixedCurrentMode());
    EXPECT_TRUE(device.ApplyScenarioKey("fixed_current", "0"));
    EXPECT_FALSE(device.FixedCurrentMode());
}

TEST(sim_hart, ScenarioKeysRejectUnknownKeysAndBadValues)
{
    struct Case {
        const char* key;
        const char* value;
    };
    const Case bad[] = {
        {"no_such_key", "1"},
        {"polling_address", "64"},
        {"polling_address", "-1"},
        {"polling_address", "five"},
        {"polling_address", ""},
        {"manufacturer_id", "64"},
        {"device_id", "0x1000000"},
        {"tag", "TOO-LONG-"},
        {"tag", "a~b"},
        {"descriptor", "SEVENTEEN CHARS!!"},
        {"message", "THIRTY-THREE CHARACTERS ARE TOO M"},
        {"long_tag", "\xD0\x96"},  // Cyrillic: not in Latin-1
        {"long_tag", "\xC3"},
        {"long_tag", "123456789012345678901234567890123"},
        {"date", "32.01.2020"},
        {"date", "01.13.2020"},
        {"date", "01.01.1899"},
        {"date", "2020-01-01"},
        {"pv", "12,5"},
        {"pv", "nan"},
        {"pv", "1e39"},
        {"pv_noise", "-1"},
        {"loop_current", "30"},
        {"fixed_current", "2"},
        {"response_preambles", "1"},
        {"no_command_20", "maybe"},
        {"fault_garbage", "0G"},
        {"fault_garbage", "123"},
        {"fault_command", "256"},
        {"fault_count", "0"},
    };
    for (const auto& c : bad) {
        HartDevice device(Quiet());
        EXPECT_FALSE(device.ApplyScenarioKey(c.key, c.value)) << c.key << "=" << c.value;
        EXPECT_TRUE(device.Settings() == Quiet()) << c.key << "=" << c.value;
        EXPECT_TRUE(device.Faults() == HartFaults{}) << c.key << "=" << c.value;
        EXPECT_FALSE(device.FixedCurrentMode()) << c.key << "=" << c.value;
    }
}

TEST(sim_hart, PrimaryValueWandersAroundItsSetting)
{
    HartDeviceSettings settings;
    settings.pv = 25.0;
    settings.pvNoise = 0.1;
    HartDevice device(settings);
    std::vector<float> values;
    for (int i = 0; i < 50; ++i) {
        const auto p = Parse(Ask(device, Long(1)));
        ASSERT_TRUE(p.ok);
        values.push_back(Real(p.data, 1));
    }
    std::sort(values.begin(), values.end());
    EXPECT_GT(std::unique(values.begin(), values.end()) - values.begin(), 10);
    EXPECT_GE(values.front(), 24.0f);
    EXPECT_LE(values.back(), 26.0f);
}

TEST(sim_hart, RandomBytesNeverBreakTheDevice)
{
    std::mt19937 random(20240315);
    HartDevice device(Quiet());
    const Bytes good = Long(13);
    std::size_t answered = 0;
    for (int round = 0; round < 4000; ++round) {
        Bytes input(random() % 300);
        for (auto& b : input) {
            // Bias towards the bytes that steer the reader.
            const unsigned pick = random() % 8;
            b = pick == 0 ? 0xFF : pick == 1 ? 0x02 : pick == 2 ? 0x82 : static_cast<std::uint8_t>(random());
        }
        if (round % 5 == 0) {
            // Pieces of a real request among the noise.
            const std::size_t from = random() % good.size();
            input.insert(input.begin() + static_cast<std::ptrdiff_t>(random() % (input.size() + 1)),
                         good.begin() + static_cast<std::ptrdiff_t>(from), good.end());
        }
        std::vector<SimAnswer> answers;
        std::size_t at = 0;
        while (at < input.size()) {
            const std::size_t n = std::min<std::size_t>(1 + random() % 64, input.size() - at);
            device.Feed(input.data() + at, n, answers);
            at += n;
            ASSERT_LE(device.HeldBytes(), HartRequestReader::kMaxHeld);
        }
        for (const auto& a : answers) {
            if (a.empty()) {
                continue;
            }
            const auto p = Parse(Flatten(a));
            ASSERT_TRUE(p.ok) << "round " << round;
            ++answered;
        }
        if (round % 7 == 0) {
            device.LineIdle();
        }
    }
    EXPECT_GT(answered, 0u);
    EXPECT_LE(device.ReceivedFrames().size(), HartDevice::kMaxRecordedFrames);

    device.LineIdle();
    const auto p = Parse(Ask(device, good));
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.command, 13);
}

TEST(sim_hart, RecordsFramesInOrderWhileFaultsChangeFromAnotherThread)
{
    HartDevice device(Quiet());
    std::atomic<bool> done{false};
    std::thread changer([&] {
        bool on = false;
        while (!done) {
            HartFaults f;
            f.delayMs = on ? 10 : 0;
            device.SetFaults(f);
            on = !on;
            (void)device.ReceivedFrames();
            std::this_thread::yield();
        }
    });
    const int requests = 300;
    int answered = 0;
    for (int i = 0; i < requests; ++i) {
        const std::uint8_t command = static_cast<std::uint8_t>(i % 2 == 0 ? 1 : 40);
        const Bytes data = command == 40 ? RealBytes(4.0f + static_cast<float>(i % 16)) : Bytes{};
        answered += Parse(Ask(device, Long(command, data))).ok ? 1 : 0;
    }
    done = true;
    changer.join();
    EXPECT_EQ(answered, requests);

    const auto frames = device.ReceivedFrames();
    ASSERT_EQ(frames.size(), static_cast<std::size_t>(requests));
    for (int i = 0; i < requests; ++i) {
        const auto& f = frames[static_cast<std::size_t>(i)];
        EXPECT_TRUE(f.longAddress);
        EXPECT_TRUE(f.addressed);
        EXPECT_EQ(f.address, kLongAddress);
        if (i % 2 == 0) {
            EXPECT_EQ(f.command, 1);
            EXPECT_TRUE(f.data.empty());
        } else {
            EXPECT_EQ(f.command, 40);
            EXPECT_EQ(f.data, RealBytes(4.0f + static_cast<float>(i % 16)));
        }
    }
}

}  // namespace
