// The Modbus RTU master against a scripted line in virtual time.
#include <gtest/gtest.h>

#include <cstring>

#include "ModbusMaster.h"
#include "ScriptedConnector.h"
#include "VirtualTime.h"

namespace {

class ModbusMasterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        master_.SetTimeSource(&time_);
        auto c = std::make_unique<ScriptedConnector>(time_);
        line_ = c.get();
        ASSERT_TRUE(master_.Open(std::move(c)));
    }

    std::uint8_t Read4(std::uint8_t unit, std::uint16_t address, std::uint16_t count, bool retry, Bytes& data)
    {
        const std::uint8_t* response = nullptr;
        int length = -1;
        const std::uint8_t rc = master_.Transact(unit, 4, address, count, nullptr, response, length, retry);
        data.clear();
        if (rc == 0)
            data.assign(response, response + length);
        return rc;
    }

    VirtualTime time_;
    ModbusMaster master_;
    ScriptedConnector* line_ = nullptr;
};

TEST_F(ModbusMasterTest, ReadClockRequestFrameIsByteExact)
{
    line_->AddReply(WithModbusCrc(HexBytes("01 04 04 00 10 00 20")));
    Bytes data;
    ASSERT_EQ(Read4(1, 2048, 2, false, data), 0);
    ASSERT_EQ(line_->Written().size(), 1u);
    EXPECT_EQ(ToHex(line_->Written()[0]), "01 04 08 00 00 02 73 AB");
    EXPECT_EQ(ToHex(data), "00 10 00 20");
    // The master never asks for more than the normal answer of 2n + 5 bytes.
    EXPECT_EQ(line_->MaxReadCapacity(), 9);
}

TEST_F(ModbusMasterTest, AnswerInTwoPiecesIsJoined)
{
    const Bytes answer = WithModbusCrc(HexBytes("01 04 04 12 34 56 78"));
    line_->AddReply({{10, Bytes(answer.begin(), answer.begin() + 4)}, {120, Bytes(answer.begin() + 4, answer.end())}});
    Bytes data;
    ASSERT_EQ(Read4(1, 2048, 2, false, data), 0);
    EXPECT_EQ(ToHex(data), "12 34 56 78");
    EXPECT_EQ(line_->Written().size(), 1u);
}

TEST_F(ModbusMasterTest, ExceptionIsReturnedAtOnce)
{
    line_->AddReply(WithModbusCrc(HexBytes("01 84 02")));
    Bytes data;
    EXPECT_EQ(Read4(1, 2048, 2, true, data), 2);
    EXPECT_EQ(line_->Written().size(), 1u);
    EXPECT_EQ(line_->Purges(), 0);
}

TEST_F(ModbusMasterTest, GatewayExceptionElevenIsRetriedToNoAnswer)
{
    for (int i = 0; i < 3; ++i)
        line_->AddReply(WithModbusCrc(HexBytes("01 84 0B")));
    Bytes data;
    EXPECT_EQ(Read4(1, 2048, 2, true, data), 255);
    EXPECT_EQ(line_->Written().size(), 3u);
    EXPECT_EQ(line_->Purges(), 3);
}

TEST_F(ModbusMasterTest, ForeignUnitIsDiscardedAndTheRequestSentAgain)
{
    line_->AddReply(WithModbusCrc(HexBytes("02 04 04 00 01 00 02")));
    line_->AddReply(WithModbusCrc(HexBytes("01 04 04 00 03 00 04")));
    Bytes data;
    ASSERT_EQ(Read4(1, 2048, 2, true, data), 0);
    EXPECT_EQ(ToHex(data), "00 03 00 04");
    ASSERT_EQ(line_->Written().size(), 2u);
    EXPECT_EQ(line_->Written()[0], line_->Written()[1]);
    EXPECT_EQ(line_->Purges(), 1);
}

TEST_F(ModbusMasterTest, WriteEchoWithAnotherValueIsAccepted)
{
    line_->AddReply(WithModbusCrc(HexBytes("05 06 03 F4 00 07")));
    EXPECT_TRUE(master_.WriteRegister(5, 1012, 1, false));
    ASSERT_EQ(line_->Written().size(), 1u);
    EXPECT_EQ(line_->Written()[0], WithModbusCrc(HexBytes("05 06 03 F4 00 01")));
}

TEST_F(ModbusMasterTest, WriteEchoOfAnotherAddressIsRejected)
{
    line_->AddReply(WithModbusCrc(HexBytes("05 06 03 F5 00 01")));
    EXPECT_FALSE(master_.WriteRegister(5, 1012, 1, false));
}

struct BadAnswerCase {
    const char* name;
    Bytes answer;
};

class ModbusBadAnswer : public ModbusMasterTest, public ::testing::WithParamInterface<BadAnswerCase> {};

TEST_P(ModbusBadAnswer, IsNotAcceptedAndTriedAgain)
{
    line_->AddReply(GetParam().answer);
    line_->AddReply(GetParam().answer);
    line_->AddReply(GetParam().answer);
    Bytes data;
    EXPECT_EQ(Read4(1, 2048, 2, true, data), 255);
    EXPECT_EQ(line_->Written().size(), 3u);
}

Bytes BadCrc()
{
    Bytes b = WithModbusCrc(HexBytes("01 04 04 00 01 00 02"));
    b.back() ^= 0x01;
    return b;
}

Bytes BadExceptionCrc()
{
    Bytes b = WithModbusCrc(HexBytes("01 84 02"));
    b[3] ^= 0xFF;
    return b;
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ModbusBadAnswer,
    ::testing::Values(BadAnswerCase{"ByteCountWrong", WithModbusCrc(HexBytes("01 04 06 00 01 00 02"))},
                      BadAnswerCase{"CrcWrong", BadCrc()},
                      BadAnswerCase{"ExceptionCrcWrong", BadExceptionCrc()},
                      BadAnswerCase{"ForeignFunction", WithModbusCrc(HexBytes("01 03 04 00 01 00 02"))},
                      BadAnswerCase{"TooShort", HexBytes("01 04 04")},
                      BadAnswerCase{"Truncated", HexBytes("01 04 04 00 01 00")},
                      BadAnswerCase{"Silence", Bytes{}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ModbusMasterTest, SilentDeviceCostsTheFixedSleepsPerTry)
{
    Bytes data;
    EXPECT_EQ(Read4(1, 2048, 2, true, data), 255);
    const std::vector<std::uint32_t> oneTry = {50, 50, 50, 50, 50, 300};
    std::vector<std::uint32_t> expected;
    for (int i = 0; i < 3; ++i)
        expected.insert(expected.end(), oneTry.begin(), oneTry.end());
    EXPECT_EQ(time_.Sleeps(), expected);
    EXPECT_EQ(line_->Purges(), 3);
}

TEST_F(ModbusMasterTest, LineFailuresEndTheTransactionAt129)
{
    Bytes data;
    line_->FailWrites(true);
    EXPECT_EQ(Read4(1, 2048, 2, true, data), 129);
    EXPECT_TRUE(line_->Written().empty());
    line_->FailWrites(false);
    line_->FailReads(true);
    EXPECT_EQ(Read4(1, 2048, 2, true, data), 129);
    EXPECT_EQ(line_->Written().size(), 1u);
}

TEST_F(ModbusMasterTest, UnsupportedRequestsSendNothing)
{
    const std::uint8_t* response = nullptr;
    int length = 0;
    EXPECT_EQ(master_.Transact(1, 3, 0, 1, nullptr, response, length, false), 1);
    // 126 registers would not fit the 256-byte frame.
    EXPECT_EQ(master_.Transact(1, 4, 0, 126, nullptr, response, length, false), 1);
    EXPECT_EQ(master_.Transact(1, 4, 0, 0, nullptr, response, length, false), 1);
    EXPECT_TRUE(line_->Written().empty());
}

TEST(ModbusMasterClosed, NoConnectorGives128)
{
    ModbusMaster m;
    const std::uint8_t* response = nullptr;
    int length = 0;
    EXPECT_EQ(m.Transact(1, 4, 2048, 2, nullptr, response, length, true), 128);
    std::uint32_t clock = 7;
    EXPECT_FALSE(m.ReadClock(1, clock, true));
    EXPECT_EQ(clock, 7u);
    m.Close();
    m.Close();
}

TEST(ModbusMasterOpen, SecondOpenIsRefusedAndCloseReleasesTheConnector)
{
    VirtualTime time;
    ModbusMaster m;
    auto first = std::make_unique<ScriptedConnector>(time);
    ScriptedConnector* firstLine = first.get();
    ASSERT_TRUE(m.Open(std::move(first)));
    EXPECT_FALSE(m.Open(std::make_unique<ScriptedConnector>(time)));
    EXPECT_FALSE(firstLine->Closed());
    EXPECT_TRUE(m.IsOpen());
    m.Close();
    EXPECT_FALSE(m.IsOpen());
}

TEST_F(ModbusMasterTest, TypedReadsConvertTheRegisterBlocks)
{
    // Clock: low register first.
    line_->AddReply(WithModbusCrc(HexBytes("01 04 04 5E 00 65 E9")));
    std::uint32_t clock = 0;
    ASSERT_TRUE(master_.ReadClock(1, clock, false));
    EXPECT_EQ(clock, 0x65E95E00u);

    // Analyte code: two characters per register, first in the low byte; ends at NUL.
    line_->AddReply(WithModbusCrc(HexBytes("01 04 10 48 43 00 34 00 00 00 00 00 00 00 00 00 00 00 00")));
    std::string analyte;
    ASSERT_TRUE(master_.ReadAnalyteCode(1, analyte, false));
    EXPECT_EQ(analyte, "CH4");
    EXPECT_EQ(line_->Written().back(), WithModbusCrc(HexBytes("01 04 03 E8 00 08")));

    // Unit: eight characters filling all four registers.
    line_->AddReply(WithModbusCrc(HexBytes("01 04 08 25 25 4B 4C 52 50 00 00")));
    std::string unit;
    ASSERT_TRUE(master_.ReadUnit(1, unit, false));
    EXPECT_EQ(unit, "%%LKPR");
    EXPECT_EQ(line_->Written().back(), WithModbusCrc(HexBytes("01 04 03 FA 00 04")));

    line_->AddReply(WithModbusCrc(HexBytes("01 04 08 42 41 44 43 46 45 48 47")));
    std::string text;
    ASSERT_TRUE(master_.ReadText1050(1, text, false));
    EXPECT_EQ(text, "ABCDEFGH");

    line_->AddReply(WithModbusCrc(HexBytes("01 04 06 00 05 00 03 07 E8")));
    std::uint16_t d = 0, mo = 0, y = 0;
    ASSERT_TRUE(master_.ReadCalibrationDate(1, d, mo, y, false));
    EXPECT_EQ(d, 5);
    EXPECT_EQ(mo, 3);
    EXPECT_EQ(y, 2024);

    // 12.5f = 0x41480000: low 16 bits in register 1012.
    line_->AddReply(WithModbusCrc(HexBytes("01 04 04 00 00 41 48")));
    float conc = 0;
    ASSERT_TRUE(master_.ReadConcentration(1, conc, false));
    EXPECT_FLOAT_EQ(conc, 12.5f);

    // Threshold 1 = 1234 -> 1.234; threshold 2 = -2500 -> -2.5; sound mode 3, O2 flag 1.
    line_->AddReply(WithModbusCrc(HexBytes("01 04 0C 04 D2 00 00 F6 3C FF FF 03 01 AA BB")));
    ModbusThresholds th;
    ASSERT_TRUE(master_.ReadThresholds(1, th, false));
    EXPECT_DOUBLE_EQ(th.threshold1, 1.234);
    EXPECT_DOUBLE_EQ(th.threshold2, -2.5);
    EXPECT_EQ(th.soundMode, 3);
    EXPECT_EQ(th.o2Flag, 1);
    EXPECT_EQ(th.register2057[0], 0xAA);
    EXPECT_EQ(th.register2057[1], 0xBB);

    line_->AddReply(WithModbusCrc(HexBytes("01 04 0C 01 02 03 04 05 06 07 08 09 0A 0B 0C")));
    std::array<std::uint8_t, 12> raw{};
    ASSERT_TRUE(master_.ReadJournalState(1, raw, false));
    EXPECT_EQ(raw[0], 1);
    EXPECT_EQ(raw[11], 12);
    EXPECT_EQ(line_->Written().back(), WithModbusCrc(HexBytes("01 04 3F F0 00 06")));
}

TEST_F(ModbusMasterTest, FailedTypedReadLeavesTheOutputUnchanged)
{
    line_->AddReply(WithModbusCrc(HexBytes("01 84 02")));
    ModbusThresholds th;
    th.threshold1 = 9.0;
    EXPECT_FALSE(master_.ReadThresholds(1, th, false));
    EXPECT_DOUBLE_EQ(th.threshold1, 9.0);
    std::string text = "kept";
    EXPECT_FALSE(master_.ReadUnit(1, text, false));
    EXPECT_EQ(text, "kept");
}

} // namespace
