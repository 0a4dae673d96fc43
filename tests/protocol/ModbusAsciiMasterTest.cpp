// The sensor's text exchange against a scripted line in virtual time.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <filesystem>
#include <fstream>
#include <future>
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

// A line shared by two threads: each command is answered right after it is
// written with the answer of its own keyword ("@RRIS" by "@RAIS 1"); the
// first exchange, at its first wait for the answer, holds the line open
// until the second thread has written or has had half a second to try.
class SharedLine : public IConnector, public ITimeSource {
public:
    bool Write(int, const std::uint8_t* data, int length) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const std::string command(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
        line_ += command;
        pending_ += "@RA" + command.substr(3, 2) + " " + std::to_string(++writes_) + "\r\n";
        changed_.notify_all();
        return true;
    }
    bool Read(int, std::uint8_t* buffer, int capacity, int& count) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        count = static_cast<int>(std::min<std::size_t>(pending_.size(), static_cast<std::size_t>(capacity)));
        std::memcpy(buffer, pending_.data(), static_cast<std::size_t>(count));
        pending_.erase(0, static_cast<std::size_t>(count));
        return true;
    }
    void PurgeInput() override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pending_.clear();
    }
    void Close() override {}

    void SleepMs(std::uint32_t) override
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (held_)
            return;
        held_ = true;
        inside_ = true;
        changed_.notify_all();
        changed_.wait_for(lock, std::chrono::milliseconds(500), [this] { return writes_ >= 2; });
    }
    std::uint32_t TickMs() override { return 0; }
    std::tm LocalNow() override { return std::tm{}; }

    void AwaitFirstExchangeInside()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return inside_; });
    }
    std::string Line()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return line_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string line_;
    std::string pending_;
    int writes_ = 0;
    bool held_ = false;
    bool inside_ = false;
};

// Without the exchange lock the second command would go out while the first
// waits for its answer, and the first would take both answers as its own.
TEST(TextExchangeThreads, SecondCommandWaitsForTheFirstAnswer)
{
    auto owned = std::make_unique<SharedLine>();
    SharedLine* line = owned.get();
    ModbusAsciiMaster master;
    master.SetTimeSource(line);
    ASSERT_TRUE(master.Open(std::move(owned)));

    std::string first, second;
    bool firstOk = false, secondOk = false;
    std::thread a([&] { firstOk = master.Request("@RRIS", "@RAIS", first, false); });
    line->AwaitFirstExchangeInside();
    std::thread b([&] { secondOk = master.Request("@RRID", "@RAID", second, false); });
    a.join();
    b.join();
    EXPECT_TRUE(firstOk);
    EXPECT_TRUE(secondOk);
    EXPECT_EQ(first, "1");
    EXPECT_EQ(second, "2");
    EXPECT_EQ(line->Line(), "@RRIS\r\n@RRID\r\n");
}

// The log in a folder with a Cyrillic name (on Windows the narrow C runtime
// cannot open such a path), and a second program that wants to write the
// same file while it is open.
TEST_F(ExchangeLogTest, CyrillicFolderWorksAndASecondWriterIsRefused)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        std::filesystem::path(u8"журнал обмена " + std::u8string(u8"№") +
                              std::u8string(reinterpret_cast<const char8_t*>(std::to_string(::getpid()).c_str())));
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / u8"log.txt";
    const std::u8string u8 = file.u8string();
    const std::string utf8(u8.begin(), u8.end());

    ASSERT_TRUE(master_.StartLog(utf8));
    line_->AddReply(TextBytes("@RAIS 42\r\n"));
    std::string answer;
    ASSERT_TRUE(master_.Request("@RRIS", "@RAIS", answer, false));

    ModbusAsciiMaster other;
    EXPECT_FALSE(other.StartLog(utf8));
    EXPECT_FALSE(other.IsLogActive());
    master_.StopLog();

    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    in.close();
    EXPECT_EQ(bytes, "2024.03.05 14:07:31 @RRIS -> @RAIS 42\r\n");
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}

// A clock whose first sleep (inside the first exchange, with the exchange
// lock held) lasts until the test lets it go.
class HeldSleep : public ITimeSource {
public:
    void SleepMs(std::uint32_t) override
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (used_)
            return;
        used_ = true;
        inside_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return released_; });
    }
    std::uint32_t TickMs() override { return 0; }
    std::tm LocalNow() override { return std::tm{}; }

    void AwaitInside()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return inside_; });
    }
    void Release()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool used_ = false;
    bool inside_ = false;
    bool released_ = false;
};

TEST(TextExchangeLog, IsLogActiveDoesNotWaitForARunningExchange)
{
    HeldSleep clock;
    VirtualTime lineTime;
    ModbusAsciiMaster master;
    master.SetTimeSource(&clock);
    ASSERT_TRUE(master.Open(std::make_unique<ScriptedConnector>(lineTime)));
    std::thread exchange([&] {
        std::string answer;
        master.Request("@RRIS", "@RAIS", answer, false);
    });
    clock.AwaitInside();
    auto asked = std::async(std::launch::async, [&] { return master.IsLogActive(); });
    // Generous: only a wait on the exchange lock makes it miss.
    const bool answered = asked.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    clock.Release();
    exchange.join();
    EXPECT_TRUE(answered);
    EXPECT_FALSE(asked.get());
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
