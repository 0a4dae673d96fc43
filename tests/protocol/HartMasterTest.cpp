// The HART master against a scripted modem line in virtual time.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "HartMaster.h"
#include "ScriptedConnector.h"
#include "VirtualTime.h"

namespace {

std::uint8_t Xor(const Bytes& b, std::size_t from)
{
    std::uint8_t x = 0;
    for (std::size_t i = from; i < b.size(); ++i)
        x ^= b[i];
    return x;
}

// A response frame as a field device sends it: preambles, delimiter, the
// address, command, byte count, response code, device status, data, check.
// `delimiter` 0: the plain one of the address form (0x06 short, 0x86 long).
Bytes Response(const Bytes& address, std::uint8_t command, std::uint8_t code, std::uint8_t status, const Bytes& data,
               int preambles = 5, const Bytes& before = {}, std::uint8_t delimiter = 0)
{
    Bytes b = before;
    b.insert(b.end(), static_cast<std::size_t>(preambles), 0xFF);
    const std::size_t delimiterAt = b.size();
    b.push_back(delimiter != 0 ? delimiter : (address.size() == 5 ? 0x86 : 0x06));
    b.insert(b.end(), address.begin(), address.end());
    b.push_back(command);
    b.push_back(static_cast<std::uint8_t>(data.size() + 2));
    b.push_back(code);
    b.push_back(status);
    b.insert(b.end(), data.begin(), data.end());
    b.push_back(Xor(b, delimiterAt));
    return b;
}

Bytes Real(float f)
{
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return {static_cast<std::uint8_t>(bits >> 24), static_cast<std::uint8_t>(bits >> 16),
            static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits)};
}

class HartMasterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        master_.SetTimeSource(&time_);
        auto c = std::make_unique<ScriptedConnector>(time_);
        line_ = c.get();
        ASSERT_TRUE(master_.Open(std::move(c)));
    }

    HartAddress Short(std::uint32_t polling) { return HartAddress{false, 0, polling}; }

    VirtualTime time_;
    HartMaster master_;
    ScriptedConnector* line_ = nullptr;
};

Bytes Cmd0Data()
{
    // 254, expanded type 0xE1A5, bytes 3-8, id 0x123456, 12, 13, counter, ext status, mfr, label, profile
    return HexBytes("FE E1 A5 05 07 01 02 08 00 12 34 56 05 01 00 09 00 60 AB 60 AB 01");
}

TEST_F(HartMasterTest, CommandZeroToPollingAddressZeroIsByteExact)
{
    line_->AddReply(Response(HexBytes("80"), 0, 0, 0x00, Cmd0Data()), 200);
    HartUniqueIdentifier id;
    ASSERT_EQ(master_.ReadUniqueIdentifier(Short(0), id, false), 0);
    ASSERT_EQ(line_->Written().size(), 1u);
    EXPECT_EQ(ToHex(line_->Written()[0]), "FF FF FF FF FF 02 80 00 00 82");
    EXPECT_EQ(id.expandedDeviceType, 0xE1A5);
    EXPECT_EQ(id.deviceId, 0x123456u);
    EXPECT_EQ(id.universalRevision, 7);
    EXPECT_EQ(id.configurationChangeCounter, 9);
    EXPECT_EQ(id.manufacturerCode, 0x60AB);
    EXPECT_EQ(id.deviceProfile, 1);
}

TEST_F(HartMasterTest, LongFrameCarriesTypeAndIdentifier)
{
    const Bytes address = HexBytes("A1 A5 12 34 56");   // master bit | (0xE1A5 >> 8) & 0x3F
    line_->AddReply(Response(address, 1, 0, 0, Bytes{0xAB, 0, 0, 0, 0}));
    // The device's own burst bit in a long address is not examined.
    line_->AddReply(Response(HexBytes("E1 A5 12 34 56"), 1, 0, 0, Bytes{0x07, 0x40, 0x90, 0, 0}));
    HartPrimaryVariable pv;
    const HartAddress a{true, 0xE1A5, 0x123456};
    ASSERT_EQ(master_.ReadPrimaryVariable(a, pv, false), 0);
    EXPECT_EQ(ToHex(line_->Written()[0]), "FF FF FF FF FF 82 A1 A5 12 34 56 01 00 " +
                                              ToHex(Bytes{static_cast<std::uint8_t>(0x82 ^ 0xA1 ^ 0xA5 ^ 0x12 ^ 0x34 ^ 0x56 ^ 0x01)}));
    EXPECT_EQ(pv.unitCode, 0xAB);
    ASSERT_EQ(master_.ReadPrimaryVariable(a, pv, false), 0);
    EXPECT_EQ(pv.unitCode, 7);
    EXPECT_FLOAT_EQ(pv.value, 4.5f);
}

TEST_F(HartMasterTest, StrayBytesAndThreePreamblesAreAccepted)
{
    line_->AddReply(Response(HexBytes("85"), 2, 0, 0, Real(12.0f) + Real(50.0f), 3, HexBytes("00 13 7E")));
    HartLoopCurrent lc;
    ASSERT_EQ(master_.ReadLoopCurrent(Short(5), lc, false), 0);
    EXPECT_FLOAT_EQ(lc.currentMa, 12.0f);
    EXPECT_FLOAT_EQ(lc.percentOfRange, 50.0f);
}

TEST_F(HartMasterTest, AnswerInPiecesIsJoined)
{
    const Bytes r = Response(HexBytes("80"), 7, 0, 0, HexBytes("00 01"));
    line_->AddReply({{100, Bytes(r.begin(), r.begin() + 6)}, {500, Bytes(r.begin() + 6, r.end())}});
    HartLoopConfiguration cfg;
    ASSERT_EQ(master_.ReadLoopConfiguration(Short(0), cfg, false), 0);
    EXPECT_EQ(cfg.loopCurrentMode, 1);
    EXPECT_EQ(line_->Written().size(), 1u);
}

struct RejectCase {
    const char* name;
    Bytes answer;
};

class HartRejected : public HartMasterTest, public ::testing::WithParamInterface<RejectCase> {};

TEST_P(HartRejected, IsTriedAgainAfterASecondAndFailsWithoutRetry)
{
    line_->AddReply(GetParam().answer);
    HartLoopConfiguration cfg;
    cfg.pollingAddress = 99;
    EXPECT_EQ(master_.ReadLoopConfiguration(Short(0), cfg, false), HartMaster::kFailed);
    EXPECT_EQ(cfg.pollingAddress, 99);
    EXPECT_EQ(line_->Purges(), 1);
    ASSERT_FALSE(time_.Sleeps().empty());
    EXPECT_EQ(time_.Sleeps().back(), 1000u);
}

Bytes WrongCheck()
{
    Bytes b = Response(HexBytes("80"), 7, 0, 0, HexBytes("00 01"));
    b.back() ^= 0x55;
    return b;
}

Bytes WithDelimiter(std::uint8_t delimiter)
{
    Bytes b = Response(HexBytes("80"), 7, 0, 0, HexBytes("00 01"));
    b[5] = delimiter;
    return b;
}

INSTANTIATE_TEST_SUITE_P(
    Answers, HartRejected,
    ::testing::Values(RejectCase{"BurstBitSet", Response(HexBytes("C0"), 7, 0, 0, HexBytes("00 01"))},
                      RejectCase{"OtherPollingAddress", Response(HexBytes("81"), 7, 0, 0, HexBytes("00 01"))},
                      RejectCase{"SecondaryMasterBit", Response(HexBytes("00"), 7, 0, 0, HexBytes("00 01"))},
                      RejectCase{"OtherCommand", Response(HexBytes("80"), 8, 0, 0, HexBytes("00 01"))},
                      RejectCase{"WrongCheckByte", WrongCheck()},
                      RejectCase{"RequestDelimiter", WithDelimiter(0x02)},
                      RejectCase{"ByteCountBelowTwo", HexBytes("FF FF 06 80 07 01 00 80")},
                      RejectCase{"OnePreambleOnly", Response(HexBytes("80"), 7, 0, 0, HexBytes("00 01"), 1)},
                      RejectCase{"Silence", Bytes{}}),
    [](const auto& info) { return std::string(info.param.name); });

// Answers to a long-address request that another device sent, or that are
// not a response frame of the request's form: each one is tried again and,
// without retry, fails. Every frame is otherwise sound, its check byte right.
class HartLongRejected : public HartMasterTest, public ::testing::WithParamInterface<RejectCase> {};

TEST_P(HartLongRejected, IsNotTakenForTheAddressedDevice)
{
    line_->AddReply(GetParam().answer);
    HartPrimaryVariable pv;
    pv.unitCode = 99;
    EXPECT_EQ(master_.ReadPrimaryVariable(HartAddress{true, 0xE1A5, 0x123456}, pv, false), HartMaster::kFailed);
    EXPECT_EQ(pv.unitCode, 99);
    EXPECT_EQ(line_->Purges(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, HartLongRejected,
    ::testing::Values(
        RejectCase{"OtherDeviceIdentifierLastByte", Response(HexBytes("A1 A5 12 34 57"), 1, 0, 0, Bytes(5, 0))},
        RejectCase{"OtherDeviceIdentifierFirstByte", Response(HexBytes("A1 A5 92 34 56"), 1, 0, 0, Bytes(5, 0))},
        RejectCase{"OtherDeviceTypeLowByte", Response(HexBytes("A1 A6 12 34 56"), 1, 0, 0, Bytes(5, 0))},
        RejectCase{"OtherDeviceTypeHighBits", Response(HexBytes("A2 A5 12 34 56"), 1, 0, 0, Bytes(5, 0))},
        RejectCase{"SecondaryMasterBit", Response(HexBytes("21 A5 12 34 56"), 1, 0, 0, Bytes(5, 0))},
        // A short-frame delimiter before a long address.
        RejectCase{"ShortDelimiter", Response(HexBytes("A1 A5 12 34 56"), 1, 0, 0, Bytes(5, 0), 5, {}, 0x06)}),
    [](const auto& info) { return std::string(info.param.name); });

// Only bits 7, 2, 1 and 0 of the response delimiter are examined: a device
// that sets others (the physical-layer bits 3 and 4) is answered, while a
// delimiter of the wrong frame form or direction is not.
struct DelimiterCase {
    const char* name;
    std::uint8_t delimiter;
    bool taken;
};

class HartDelimiter : public HartMasterTest, public ::testing::WithParamInterface<DelimiterCase> {};

TEST_P(HartDelimiter, OnlyTheFormAndDirectionBitsCount)
{
    line_->AddReply(Response(HexBytes("80"), 7, 0, 0, HexBytes("00 01"), 5, {}, GetParam().delimiter));
    HartLoopConfiguration cfg;
    EXPECT_EQ(master_.ReadLoopConfiguration(Short(0), cfg, false) == 0, GetParam().taken);
}

INSTANTIATE_TEST_SUITE_P(Delimiters, HartDelimiter,
                         ::testing::Values(DelimiterCase{"Plain", 0x06, true},
                                           DelimiterCase{"Bit3Set", 0x0E, true},
                                           DelimiterCase{"Bits3And4Set", 0x1E, true},
                                           DelimiterCase{"LongForm", 0x86, false},
                                           DelimiterCase{"MasterToSlave", 0x02, false},
                                           DelimiterCase{"Burst", 0x01, false},
                                           DelimiterCase{"Bit2Only", 0x04, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HartMasterTest, WrongCheckByteIsRetriedAndTheGoodAnswerTaken)
{
    line_->AddReply(WrongCheck());
    line_->AddReply(Response(HexBytes("80"), 7, 0, 0, HexBytes("03 01")));
    HartLoopConfiguration cfg;
    ASSERT_EQ(master_.ReadLoopConfiguration(Short(0), cfg, true), 0);
    EXPECT_EQ(cfg.pollingAddress, 3);
    EXPECT_EQ(line_->Written().size(), 2u);
}

TEST_F(HartMasterTest, ResponseCodeIsReturnedAtOnce)
{
    line_->AddReply(Response(HexBytes("80"), 20, 64, 0, {}));
    std::string tag = "kept";
    EXPECT_EQ(master_.ReadLongTag(Short(0), tag, true), 64);
    EXPECT_EQ(tag, "kept");
    EXPECT_EQ(line_->Written().size(), 1u);
}

TEST_F(HartMasterTest, ShortDataFails)
{
    line_->AddReply(Response(HexBytes("80"), 1, 0, 0, HexBytes("07 40 90")));
    HartPrimaryVariable pv;
    EXPECT_EQ(master_.ReadPrimaryVariable(Short(0), pv, false), HartMaster::kFailed);
}

TEST_F(HartMasterTest, SilentDeviceCostsTheFixedSleeps)
{
    HartLoopConfiguration cfg;
    EXPECT_EQ(master_.ReadLoopConfiguration(Short(0), cfg, true), HartMaster::kFailed);
    EXPECT_EQ(line_->Written().size(), 3u);
    std::vector<std::uint32_t> expected;
    for (int t = 0; t < 3; ++t) {
        expected.insert(expected.end(), 10, 300);
        expected.push_back(1000);
    }
    EXPECT_EQ(time_.Sleeps(), expected);
    EXPECT_LE(line_->MaxReadCapacity(), HartMaster::kExpectedReplySize);
}

TEST_F(HartMasterTest, FixedCurrentAlwaysUsesThreeTries)
{
    line_->AddSilence();
    line_->AddReply(Response(HexBytes("80"), 40, 0, 0, Real(0.0f)));
    float actual = -1;
    ASSERT_EQ(master_.SetFixedCurrent(Short(0), 0.0f, actual), 0);
    EXPECT_FLOAT_EQ(actual, 0.0f);
    ASSERT_EQ(line_->Written().size(), 2u);
    EXPECT_EQ(ToHex(line_->Written()[0]), "FF FF FF FF FF 02 80 28 04 00 00 00 00 AE");
}

TEST_F(HartMasterTest, TagDescriptorMessageAndTransducer)
{
    // "ABCD" packs to 04 20 C4; blanks (code 32) to 82 08 20.
    Bytes tdd = HexBytes("04 20 C4 82 08 20") + HexBytes("04 20 C4 82 08 20 82 08 20 82 08 20") + HexBytes("1F 0C 7C");
    line_->AddReply(Response(HexBytes("80"), 13, 0, 0, tdd));
    HartTagDescriptorDate t;
    ASSERT_EQ(master_.ReadTagDescriptorDate(Short(0), t, false), 0);
    EXPECT_EQ(t.tag, "ABCD    ");
    EXPECT_EQ(t.descriptor, "ABCD            ");
    EXPECT_EQ(t.day, 31);
    EXPECT_EQ(t.month, 12);
    EXPECT_EQ(t.yearSince1900, 124);

    line_->AddReply(Response(HexBytes("80"), 14, 0, 0, HexBytes("04 40 01 AB") + Real(100.f) + Real(0.f) + Real(5.f)));
    HartTransducerInfo ti;
    ASSERT_EQ(master_.ReadTransducerInfo(Short(0), ti, false), 0);
    EXPECT_EQ(ti.serialText, "01010001");
    EXPECT_EQ(ti.unitCode, 0xAB);
    EXPECT_FLOAT_EQ(ti.upperLimit, 100.f);
    EXPECT_FLOAT_EQ(ti.minimumSpan, 5.f);

    Bytes msg;
    for (int i = 0; i < 8; ++i)
        msg = msg + HexBytes("04 20 C4");
    line_->AddReply(Response(HexBytes("80"), 12, 0, 0, msg));
    std::string m;
    ASSERT_EQ(master_.ReadMessage(Short(0), m, false), 0);
    EXPECT_EQ(m, "ABCDABCDABCDABCDABCDABCDABCDABCD");
}

TEST(HartUnpack, SixBitCodes)
{
    const std::uint8_t codes[] = {0x04, 0x88, 0x60};   // 1 'A', 8 'H', 33 '!', 32 ' '
    EXPECT_EQ(HartMaster::UnpackAscii(codes, 3, 4), "AH! ");
    const std::uint8_t blanks[] = {0x82, 0x08, 0x20};
    EXPECT_EQ(HartMaster::UnpackAscii(blanks, 3, 4), "    ");
    // Missing groups read as blanks.
    EXPECT_EQ(HartMaster::UnpackAscii(codes, 3, 8), "AH!     ");
    EXPECT_EQ(HartMaster::UnpackAscii(codes, 2, 4), "    ");
}

TEST(HartSerial, TransducerSerialText)
{
    const std::uint8_t a[] = {0x04, 0x40, 0x01};
    EXPECT_EQ(HartMaster::TransducerSerialText(a), "01010001");
    const std::uint8_t b[] = {0xFF, 0xFF, 0xFF};
    EXPECT_EQ(HartMaster::TransducerSerialText(b), "631516383");
}

TEST(HartMasterClosed, NoConnectorFails)
{
    HartMaster m;
    HartLoopCurrent lc;
    EXPECT_EQ(m.ReadLoopCurrent(HartAddress{}, lc, true), HartMaster::kFailed);
}

TEST(HartMasterFuzz, TruncatedAndGarbageRepliesNeverReadPastTheBuffer)
{
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> len(0, 500);
    const Bytes good = Response(HexBytes("80"), 0, 0, 0, Cmd0Data());
    for (int i = 0; i < 400; ++i) {
        VirtualTime time;
        HartMaster m;
        m.SetTimeSource(&time);
        auto c = std::make_unique<ScriptedConnector>(time);
        ScriptedConnector* line = c.get();
        ASSERT_TRUE(m.Open(std::move(c)));
        Bytes reply;
        if (i % 3 == 0) {
            reply.assign(good.begin(), good.begin() + static_cast<long>(i % good.size()));   // truncated
        } else {
            reply.resize(static_cast<std::size_t>(len(rng)));
            for (auto& x : reply)
                x = static_cast<std::uint8_t>(i % 2 ? byte(rng) : (byte(rng) < 128 ? 0xFF : byte(rng)));
        }
        line->AddReply(reply);
        HartUniqueIdentifier id;
        const std::uint8_t rc = m.ReadUniqueIdentifier(HartAddress{}, id, false);
        EXPECT_NE(rc, 0) << i;
        EXPECT_LE(line->MaxReadCapacity(), HartMaster::kExpectedReplySize);
    }
}

} // namespace
