// The sensor's text exchange against a scripted line in virtual time.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>

#include <unistd.h>

#include "ModbusAsciiMaster.h"
#include "ScriptedConnector.h"
#include "VirtualTime.h"

namespace {

class TextExchangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        master_.SetTimeSource(&time_);
        auto c = std::make_unique<ScriptedConnector>(time_);
        line_ = c.get();
        ASSERT_TRUE(master_.Open(std::move(c)));
    }

    VirtualTime time_;
    ModbusAsciiMaster master_;
    ScriptedConnector* line_ = nullptr;
};

struct RequestCase {
    const char* name;
    const char* keyword;
    std::vector<std::string> pieces;   // the answer as it arrives, 60 ms apart
    bool ok;
    const char* answer;                // expected answer when ok
};

class RequestCases : public TextExchangeTest, public ::testing::WithParamInterface<RequestCase> {};

TEST_P(RequestCases, AnswerIsCheckedAndTrimmed)
{
    const RequestCase& rc = GetParam();
    ScriptedConnector::Reply reply;
    std::uint64_t delay = 0;
    for (const std::string& p : rc.pieces) {
        reply.push_back({delay, TextBytes(p)});
        delay += 60;
    }
    line_->AddReply(reply);
    std::string answer = "unchanged";
    EXPECT_EQ(master_.Request("@RRIS", rc.keyword, answer, false), rc.ok);
    EXPECT_EQ(answer, rc.ok ? rc.answer : "unchanged");
    ASSERT_EQ(line_->Written().size(), 1u);
    EXPECT_EQ(line_->Written()[0], TextBytes("@RRIS\r\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, RequestCases,
    ::testing::Values(
        RequestCase{"KeywordAlone", "@RAIS", {"@RAIS\r\n"}, true, ""},
        RequestCase{"ValueTrimmed", "@RAIS", {"@RAIS  42 \r\n"}, true, "42"},
        RequestCase{"TabsTrimmed", "@RAIS", {"@RAIS\t7\t\r\n"}, true, "7"},
        RequestCase{"ShorterThanKeyword", "@RAIS", {"@RA\r\n"}, false, ""},
        RequestCase{"WrongKeyword", "@RAIS", {"@RAIX 42\r\n"}, false, ""},
        RequestCase{"KeywordIsCaseSensitive", "@RAIS", {"@rais 42\r\n"}, false, ""},
        RequestCase{"PiecesJoined", "@RAIS", {"@RA", "IS 12", "345\r", "\n"}, true, "12345"},
        RequestCase{"TwoLinesInOneRead", "@RAIS", {"@RAID 5\r\n@RAIS 42\r\n"}, false, ""},
        RequestCase{"EmptyKeywordTakesAnyLine", "", {"anything\r\n"}, true, "anything"},
        RequestCase{"NulEndsTheAnswer", "@RAIS", {std::string("@RAIS 42\0junk\r\n", 15)}, true, "42"},
        RequestCase{"BareCrLfIsNoLine", "@RAIS", {"\r\n"}, false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TextExchangeTest, SilentDeviceWithRetrySendsThreeTimesWithPurges)
{
    std::string answer;
    EXPECT_EQ(master_.Exchange("@RRDS", true, answer), 255);
    ASSERT_EQ(line_->Written().size(), 3u);
    for (const Bytes& w : line_->Written())
        EXPECT_EQ(w, TextBytes("@RRDS\r\n"));
    EXPECT_EQ(line_->Purges(), 3);
    const std::vector<std::uint32_t> oneTry = {50, 50, 50, 50, 50, 300};
    std::vector<std::uint32_t> expected;
    for (int i = 0; i < 3; ++i)
        expected.insert(expected.end(), oneTry.begin(), oneTry.end());
    EXPECT_EQ(time_.Sleeps(), expected);
}

TEST_F(TextExchangeTest, WithoutRetryOneTry)
{
    std::string answer;
    EXPECT_FALSE(master_.Request("@RRDS", "@RADS", answer, false));
    EXPECT_EQ(line_->Written().size(), 1u);
}

TEST_F(TextExchangeTest, LateAnswerToTheFirstTryIsPurgedAndTheSecondTryAnswered)
{
    // Five reads of up to 256 ms after 50 ms sleeps: the first try gives up at
    // 1530 ms; an answer at 1700 ms lands in the 300 ms pause and is purged.
    line_->AddReply(TextBytes("@RADS old\r\n"), 1700);
    line_->AddReply(TextBytes("@RADS 01.02.2024\r\n"), 10);
    std::string answer;
    ASSERT_TRUE(master_.Request("@RRDS", "@RADS", answer, true));
    EXPECT_EQ(answer, "01.02.2024");
    EXPECT_EQ(line_->Written().size(), 2u);
}

TEST_F(TextExchangeTest, LineLongerThanTheBufferIsNeverRecognised)
{
    line_->AddReply(TextBytes("@RAIS " + std::string(300, 'x') + "\r\n"));
    std::string answer;
    EXPECT_FALSE(master_.Request("@RRIS", "@RAIS", answer, false));
    EXPECT_LE(line_->MaxReadCapacity(), 256);
}

TEST_F(TextExchangeTest, RequestEitherTellsAnswerFromError)
{
    line_->AddReply(TextBytes("@ERTH 63, 0000000000010010\r\n"));
    std::string answer;
    bool isError = false;
    ASSERT_TRUE(master_.RequestEither("@RRTH", "@RATH", "@ERTH 63,", answer, isError, false));
    EXPECT_TRUE(isError);
    EXPECT_EQ(answer, "0000000000010010");

    line_->AddReply(TextBytes("@RATH 451.5, 300.1\r\n"));
    ASSERT_TRUE(master_.RequestEither("@RRTH", "@RATH", "@ERTH 63,", answer, isError, false));
    EXPECT_FALSE(isError);
    EXPECT_EQ(answer, "451.5, 300.1");

    line_->AddReply(TextBytes("@RAXX 1\r\n"));
    answer = "kept";
    EXPECT_FALSE(master_.RequestEither("@RRTH", "@RATH", "@ERTH 63,", answer, isError, false));
    EXPECT_EQ(answer, "kept");
}

TEST_F(TextExchangeTest, RequestRawKeepsBlanksAndTriesOnce)
{
    line_->AddReply(TextBytes("   \r\n"));
    std::string answer;
    ASSERT_TRUE(master_.RequestRaw("@RRIS", answer));
    EXPECT_EQ(answer, "   ");
    EXPECT_FALSE(master_.RequestRaw("@RRIS", answer));
    EXPECT_EQ(line_->Written().size(), 2u);
}

TEST_F(TextExchangeTest, CommandWithALineBreakOrNulIsRefusedUnsent)
{
    std::string answer = "kept";
    bool isError = false;
    EXPECT_FALSE(master_.Request("@WCV1 680429,1\r\n@WMMC 47093518,1", "@RAV1", answer, false));
    EXPECT_FALSE(master_.RequestEither("@RRDT\n", "@RADT", "@ERDT 63,", answer, isError, false));
    EXPECT_FALSE(master_.RequestRaw(std::string("@RRIS\0x", 7), answer));
    EXPECT_EQ(answer, "kept");
    EXPECT_TRUE(line_->Written().empty());
}

TEST(TextExchangeClosed, NoConnectorGives128AndSendsNothing)
{
    ModbusAsciiMaster m;
    std::string answer;
    EXPECT_EQ(m.Exchange("@RRID", true, answer), 128);
    EXPECT_FALSE(m.Request("@RRID", "@RAID", answer, true));
}

TEST_F(TextExchangeTest, LineFailureGives129WithoutFurtherTries)
{
    line_->FailReads(true);
    std::string answer;
    EXPECT_EQ(master_.Exchange("@RRID", true, answer), 129);
    EXPECT_EQ(line_->Written().size(), 1u);
}

class ExchangeLogTest : public TextExchangeTest {
protected:
    void SetUp() override
    {
        TextExchangeTest::SetUp();
        char tmpl[] = "/tmp/korvan-log-XXXXXX";
        const int fd = ::mkstemp(tmpl);
        ASSERT_GE(fd, 0);
        ::close(fd);
        path_ = tmpl;
        std::tm t{};
        t.tm_year = 2024 - 1900;
        t.tm_mon = 2;
        t.tm_mday = 5;
        t.tm_hour = 14;
        t.tm_min = 7;
        t.tm_sec = 31;
        time_.SetLocal(t);
    }
    void TearDown() override { std::remove(path_.c_str()); }

    std::string FileBytes() const
    {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string path_;
};

TEST_F(ExchangeLogTest, LinesAreByteExactAndWrittenAsTheyHappen)
{
    ASSERT_TRUE(master_.StartLog(path_));
    EXPECT_TRUE(master_.StartLog(path_));   // already on: stays on
    line_->AddReply(TextBytes("@RAIS 42\r\n"));
    std::string answer;
    ASSERT_TRUE(master_.Request("@RRIS", "@RAIS", answer, false));
    // Flushed at once: a crash now would lose nothing.
    EXPECT_EQ(FileBytes(), "2024.03.05 14:07:31 @RRIS -> @RAIS 42\r\n");

    EXPECT_FALSE(master_.Request("@RRDS", "@RADS", answer, false));   // silence
    line_->AddReply(TextBytes("@RAMC\r\n"));
    ASSERT_TRUE(master_.Request("@WMMC 47093518,1", "@RAMC", answer, true));
    master_.StopLog();
    EXPECT_FALSE(master_.IsLogActive());
    line_->AddReply(TextBytes("@RAIS 42\r\n"));
    ASSERT_TRUE(master_.Request("@RRIS", "@RAIS", answer, false));

    EXPECT_EQ(FileBytes(),
              "2024.03.05 14:07:31 @RRIS -> @RAIS 42\r\n"
              "2024.03.05 14:07:31 @RRDS\r\n"
              "2024.03.05 14:07:31 @WMMC 47093518,1 -> @RAMC\r\n");
}

TEST_F(ExchangeLogTest, UnopenableLogFileLeavesLoggingOff)
{
    EXPECT_FALSE(master_.StartLog("/nonexistent-dir/log.txt"));
    EXPECT_FALSE(master_.IsLogActive());
}

TEST_F(TextExchangeTest, ExchangesFromTwoThreadsDoNotInterleave)
{
    // Each request holds the lock for its whole command and answer, so the
    // answers pair up with their commands in order.
    for (int i = 0; i < 20; ++i)
        line_->AddReply(TextBytes("@RAID " + std::to_string(i) + "\r\n"));
    std::vector<std::string> answers[2];
    auto worker = [&](int k) {
        for (int i = 0; i < 10; ++i) {
            std::string a;
            if (master_.Request("@RRID", "@RAID", a, false))
                answers[k].push_back(a);
        }
    };
    std::thread t1(worker, 0), t2(worker, 1);
    t1.join();
    t2.join();
    EXPECT_EQ(answers[0].size() + answers[1].size(), 20u);
    EXPECT_EQ(line_->Written().size(), 20u);
}

} // namespace
