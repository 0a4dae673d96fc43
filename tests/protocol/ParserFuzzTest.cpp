// Garbage on the line never crashes a parser: random and adversarial byte
// streams through the Modbus validation and the text exchange. Run under the
// sanitizers too, where a read past a buffer fails the test.
#include <gtest/gtest.h>

#include <random>

#include "ModbusAsciiMaster.h"
#include "ModbusCrc.h"
#include "ModbusMaster.h"
#include "ScriptedConnector.h"
#include "VirtualTime.h"

namespace {

Bytes RandomBytes(std::mt19937& rng, std::size_t maxLength)
{
    std::uniform_int_distribution<std::size_t> len(0, maxLength);
    std::uniform_int_distribution<int> byte(0, 255);
    Bytes b(len(rng));
    for (auto& x : b)
        x = static_cast<std::uint8_t>(byte(rng));
    return b;
}

std::vector<Bytes> AdversarialStreams()
{
    std::vector<Bytes> s;
    s.push_back(Bytes(300, 0xFF));                                  // a run of 0xFF
    s.push_back(Bytes(1, 0x01));
    s.push_back(TextBytes("@RAIS 42\r\n"));                          // text on the Modbus line
    s.push_back(TextBytes(std::string(1000, 'A') + "\r\n"));        // over-long line
    s.push_back(WithModbusCrc(HexBytes("01 04 FF")));               // byte count far beyond the frame
    s.push_back(WithModbusCrc(HexBytes("01 84")));                  // short exception
    s.push_back(HexBytes("01 04 04 00 01 00 02"));                  // no CRC
    s.push_back(Bytes(5, 0x00));
    s.push_back(WithModbusCrc(HexBytes("01 04 04 00 01 00 02 00 00 00 00")));
    return s;
}

TEST(ParserFuzz, ValidateFrameStaysInsideTheFrame)
{
    std::mt19937 rng(12345);
    for (int i = 0; i < 20000; ++i) {
        Bytes frame = RandomBytes(rng, 256);
        if (!frame.empty() && i % 3 == 0)
            frame[0] = 1;
        if (frame.size() > 1 && i % 5 == 0)
            frame[1] = (i % 2) ? 0x04 : 0x84;
        // Copy into an exactly sized buffer so the sanitizer sees any overrun.
        std::vector<std::uint8_t> exact(frame.begin(), frame.end());
        std::uint8_t exception = 0;
        const int status = ModbusMaster::ValidateFrame(exact.data(), static_cast<int>(exact.size()), 1,
                                                       (i % 7 == 0) ? 6 : 4, 2048, static_cast<std::uint16_t>(1 + i % 125), exception);
        EXPECT_TRUE(status == 0 || (status >= 130 && status <= 137)) << status;
    }
}

TEST(ParserFuzz, ModbusTransactionSurvivesAnyAnswer)
{
    std::mt19937 rng(777);
    std::vector<Bytes> streams = AdversarialStreams();
    for (int i = 0; i < 300; ++i)
        streams.push_back(RandomBytes(rng, 400));
    for (const Bytes& s : streams) {
        VirtualTime time;
        ModbusMaster m;
        m.SetTimeSource(&time);
        auto c = std::make_unique<ScriptedConnector>(time);
        ScriptedConnector* line = c.get();
        ASSERT_TRUE(m.Open(std::move(c)));
        line->AddReply({{0, s}, {20, s}});
        const std::uint8_t* response = nullptr;
        int length = -1;
        const std::uint8_t rc = m.Transact(1, 4, 2048, 2, nullptr, response, length, false);
        if (rc == 0) {
            EXPECT_EQ(length, 4);
        } else {
            EXPECT_EQ(length, 0);
        }
        EXPECT_LE(line->MaxReadCapacity(), 9);
    }
}

TEST(ParserFuzz, TextExchangeSurvivesAnyAnswer)
{
    std::mt19937 rng(4242);
    std::vector<Bytes> streams = AdversarialStreams();
    for (int i = 0; i < 300; ++i) {
        Bytes b = RandomBytes(rng, 600);
        if (i % 2 == 0) {
            b.push_back('\r');
            b.push_back('\n');
        }
        streams.push_back(b);
    }
    for (const Bytes& s : streams) {
        VirtualTime time;
        ModbusAsciiMaster m;
        m.SetTimeSource(&time);
        auto c = std::make_unique<ScriptedConnector>(time);
        ScriptedConnector* line = c.get();
        ASSERT_TRUE(m.Open(std::move(c)));
        line->AddReply({{0, s}});
        std::string answer;
        bool isError = false;
        if (m.RequestEither("@RRTH", "@RATH", "@ERTH 63,", answer, isError, false)) {
            EXPECT_LE(answer.size(), 254u);
        }
        EXPECT_LE(line->MaxReadCapacity(), 256);
    }
}

} // namespace
