// korvan as a process against the simulator on pseudo-terminals: what it
// prints, the files it writes and its exit codes. The simulator runs in this
// process, so the tests can look at the simulated device (its loop current).

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "CsvFiles.h"
#include "Engine.h"
#include "HartDevice.h"
#include "JournalEntryText.h"
#include "KorvanCli.h"
#include "MeasurementFile.h"
#include "Simulator.h"
#include "TestPorts.h"

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A running korvan with its standard streams on files and stdin on a pipe.
class KorvanProcess {
public:
    KorvanProcess(const std::string& folder, const std::vector<std::string>& args) : out_(folder + "/out.txt"), err_(folder + "/err.txt")
    {
        // The outputs of an earlier run must not be taken for this one's.
        ::unlink(out_.c_str());
        ::unlink(err_.c_str());
        int in[2];
        if (::pipe(in) != 0)
            throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], 0);
            ::close(in[1]);
            const int o = ::open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int e = ::open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(o, 1);
            ::dup2(e, 2);
            std::vector<char*> argv{const_cast<char*>(KORVAN_EXE)};
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(KORVAN_EXE, argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        stdin_ = in[1];
    }
    ~KorvanProcess()
    {
        if (pid_ > 0 && !done_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (stdin_ >= 0)
            ::close(stdin_);
    }
    void Type(const std::string& text) { (void)!::write(stdin_, text.data(), text.size()); }
    void Signal(int sig) { ::kill(pid_, sig); }
    int Wait()
    {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        done_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    }
    std::string Out() const { return ReadFile(out_); }
    std::string Err() const { return ReadFile(err_); }
    // Waits until the standard output or error holds `text`.
    bool WaitFor(const std::string& text, bool inErr = false, int timeoutMs = 60000) const
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            if ((inErr ? Err() : Out()).find(text) != std::string::npos)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

private:
    std::string out_, err_;
    pid_t pid_ = -1;
    int stdin_ = -1;
    bool done_ = false;
};

class KorvanTest : public ::testing::Test {
protected:
    void StartSim(const std::string& scenario = {}, unsigned answerDelayMs = 0)
    {
        Simulator::Options o;
        o.portsFolder = home_.PortsFolder();
        o.devicePort = 1;
        o.hartPort = 2;
        o.multigasPort = 3;
        o.scenarioText = scenario;
        o.answerDelayMs = answerDelayMs;
        sim_ = std::make_unique<Simulator>(o);
        sim_->Start();
    }
    void TearDown() override
    {
        if (sim_)
            sim_->Stop();
    }
    std::vector<std::string> Args(std::vector<std::string> a) const
    {
        for (const char* p : {"--device-port", "1", "--hart-port", "2", "--mg-port", "3"})
            a.push_back(p);
        return a;
    }
    int RunKorvan(const std::vector<std::string>& args, std::string* out = nullptr, std::string* err = nullptr)
    {
        KorvanProcess p(home_.Path(), args);
        const int rc = p.Wait();
        if (out)
            *out = p.Out();
        if (err)
            *err = p.Err();
        return rc;
    }
    std::string Path(const std::string& name) const { return home_.Path() + "/" + name; }

    TempConfigHome home_; // korvan inherits XDG_CONFIG_HOME
    std::unique_ptr<Simulator> sim_;
};

TEST_F(KorvanTest, HelpAndVersion)
{
    std::string out;
    EXPECT_EQ(RunKorvan({"--version"}, &out), 0);
    EXPECT_NE(out.find("korvan "), std::string::npos);
    EXPECT_EQ(RunKorvan({"--help"}, &out), 0);
    for (const char* word : {"journal", "hart", "poll", "report", "Коды выхода"})
        EXPECT_NE(out.find(word), std::string::npos) << word;
    EXPECT_EQ(RunKorvan({"nonsense"}), KorvanCli::kExitUsage);
    EXPECT_EQ(RunKorvan({"journal", "sideways", "-o", "x.csv"}), KorvanCli::kExitUsage);
}

TEST_F(KorvanTest, CommandLineErrorsAreSaidInRussian)
{
    const struct {
        std::vector<std::string> args;
        const char* said;
    } cases[] = {
        {{"--device-port", "300", "info"}, "--device-port: значение 300 вне пределов 0 … 255"},
        {{"poll", "--period", "abc"}, "--period: «abc» — не целое число"},
        {{"poll", "--duration", "99999999999999999999"}, "--duration: значение 99999999999999999999 вне пределов"},
        {{"journal", "sideways", "-o", "x.csv"}, "journal: «sideways» — допустимо: events, thresholds"},
        {{"journal", "events"}, "не задан обязательный параметр --output"},
        {{"hart"}, "не задана команда"},
        {{"frobnicate"}, "неизвестная команда «frobnicate»"},
        {{"hart", "frobnicate"}, "неизвестная команда «frobnicate»"},
        {{"--nonsense"}, "неизвестный параметр «--nonsense»"},
        {{"read", "abc"}, "code: «abc» — неверное значение"},
        {{"info", "extra"}, "лишние аргументы: extra"},
        {{"poll", "--count"}, "--count: не задано значение"},
    };
    for (const auto& c : cases) {
        std::string out, err;
        EXPECT_EQ(RunKorvan(c.args, &out, &err), KorvanCli::kExitUsage) << c.said;
        EXPECT_NE(err.find(std::string("korvan: ошибка в командной строке: ") + c.said), std::string::npos)
            << c.said << "\n" << err;
    }
}

TEST_F(KorvanTest, InfoJsonHoldsTheScenariosValues)
{
    StartSim("[detector]\nkind = Semi\nmodbus_id = 7\n");
    std::string out;
    ASSERT_EQ(RunKorvan(Args({"info", "--json"}), &out), 0) << out;
    const auto j = nlohmann::json::parse(out);
    EXPECT_EQ(j["sensor"]["modbusId"], 7);
    EXPECT_EQ(j["sensor"]["sensorType"], "Semi");
    EXPECT_EQ(j["sensor"]["units"], "мг/м3");
    EXPECT_EQ(j["detector"]["journalIndices"]["eventCapacity"], 100);
    EXPECT_EQ(j["hart"]["uniqueId"].is_string(), true);
    EXPECT_TRUE(j["sensor"]["v1"].is_null()); // a semiconductor sensor has no V1
}

TEST_F(KorvanTest, InfoFromTheDesktopToolsSettingsStore)
{
    StartSim();
    ::mkdir((home_.Path() + "/Korvan").c_str(), 0755);
    std::ofstream(home_.Path() + "/Korvan/KorvanSensorSetup.conf") << "[Connection]\nModbusPort=1\nHartPort=2\n";
    std::string out;
    EXPECT_EQ(RunKorvan({"info"}, &out), 0);
    EXPECT_NE(out.find("Заводской номер"), std::string::npos) << out;
}

TEST_F(KorvanTest, JournalFileHasThePageWritersBytes)
{
    StartSim();
    std::string err;
    ASSERT_EQ(RunKorvan(Args({"journal", "events", "-o", Path("journal.csv")}), nullptr, &err), 0) << err;
    const std::string file = ReadFile(Path("journal.csv"));

    // The same journal read by an engine here and written as the page does.
    struct Poster : IWindowPoster {
        bool Post(WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t) override { return true; }
    } poster;
    Engine engine(&poster);
    engine.modbusPort = 1;
    engine.mode = Engine::kModeIdle;
    ASSERT_EQ(engine.ReadEventJournal(), 1);
    JournalReadStatus status{};
    std::uint32_t read = 0, expected = 0;
    for (int i = 0; i < 3000; ++i) {
        engine.JournalProgress(SensorModbusInterface::Journal::Event, status, read, expected);
        if (status == JournalReadStatus::Finished || status == JournalReadStatus::Failed)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(status, JournalReadStatus::Finished);
    SensorJournalContent content;
    engine.CopyEventJournal(content);
    const std::string expectedBytes =
        CsvFiles::JournalCsv(JournalEntryDecoder::Decode(content), CsvFiles::JournalOrder::NewestFirst);
    EXPECT_EQ(file, expectedBytes);
    EXPECT_EQ(content.size(), 20u); // 90 … 9 of a ring of 100
}

TEST_F(KorvanTest, SendReadWrite)
{
    StartSim();
    std::string out;
    EXPECT_EQ(RunKorvan(Args({"send", "@RRSS"}), &out), 0);
    EXPECT_EQ(out, "@RASS 2.14\n");
    EXPECT_EQ(RunKorvan(Args({"send", "@XXYY"}), &out), KorvanCli::kExitRefused);
    EXPECT_EQ(RunKorvan(Args({"write", "22", "0.02"}), &out), 0);
    EXPECT_EQ(out, "0.02\n");
    EXPECT_EQ(RunKorvan(Args({"read", "21"}), &out), 0);
    EXPECT_EQ(out, "0.02\n");
}

TEST_F(KorvanTest, ExitCodes)
{
    StartSim();
    std::ofstream(Path("wrong-password")) << "111111\n";
    // The HART line held by the simulated device's own link is busy when a
    // second korvan holds it: a loop-current run keeps it open.
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int code;
    } cases[] = {
        {"no port configured", {"info"}, KorvanCli::kExitPort},
        {"port that does not exist", {"info", "--device-port", "9"}, KorvanCli::kExitPort},
        {"device silent (a line nobody answers)", {"send", "@RRSS", "--device-port", "4"}, KorvanCli::kExitSilent},
        {"wrong password", Args({"write", "22", "0.05", "--password-file", Path("wrong-password")}), KorvanCli::kExitRefused},
        {"unwritable output", Args({"journal", "thresholds", "-o", Path("no/such/folder/t.csv")}), KorvanCli::kExitFile},
    };
    PtyPair silent;
    home_.LinkPort(4, silent.SlavePath());
    for (const Case& c : cases) {
        std::string err;
        EXPECT_EQ(RunKorvan(c.args, nullptr, &err), c.code) << c.name << ": " << err;
        EXPECT_FALSE(err.empty()) << c.name;
    }
    // Busy: another korvan holds the HART line while it keeps a current.
    KorvanProcess holder(home_.Path(), Args({"hart", "loop-current", "12"}));
    ASSERT_TRUE(holder.WaitFor("мА"));
    std::string err;
    EXPECT_EQ(RunKorvan({"hart", "info", "--hart-port", "2"}, nullptr, &err), KorvanCli::kExitPort) << err;
    holder.Type("\n");
    EXPECT_EQ(holder.Wait(), 0);
}

TEST_F(KorvanTest, LoopCurrentIsAlwaysReleased)
{
    StartSim();
    struct Case {
        const char* name;
        int signal; // 0: Enter
        int code;
    } cases[] = {{"Enter", 0, 0}, {"Ctrl-C", SIGINT, KorvanCli::kExitInterrupted},
                 {"SIGTERM", SIGTERM, KorvanCli::kExitInterrupted}};
    for (const Case& c : cases) {
        KorvanProcess p(home_.Path(), Args({"hart", "loop-current", "12.5"}));
        ASSERT_TRUE(p.WaitFor("Enter")) << c.name << p.Err();
        EXPECT_TRUE(sim_->Hart().FixedCurrentMode()) << c.name;
        EXPECT_FLOAT_EQ(sim_->Hart().FixedCurrent(), 12.5f) << c.name;
        if (c.signal == 0)
            p.Type("\n");
        else
            p.Signal(c.signal);
        EXPECT_EQ(p.Wait(), c.code) << c.name << p.Err();
        EXPECT_FALSE(sim_->Hart().FixedCurrentMode()) << c.name;
        EXPECT_NE(p.Out().find("отпущен"), std::string::npos) << c.name;
    }
}

TEST_F(KorvanTest, InterruptedJournalKeepsTheRecordsRead)
{
    // Slow answers, so that the interrupt comes in the middle of the ring.
    StartSim({}, 150);
    KorvanProcess p(home_.Path(), Args({"journal", "thresholds", "-o", Path("t.csv")}));
    // A block has come in (the progress is past 0 %): the interrupt stops
    // the reading at once, so before that there would be nothing to keep.
    const auto pastZero = [&] {
        const std::string err = p.Err();
        for (std::size_t at = err.find('%'); at != std::string::npos; at = err.find('%', at + 1)) {
            std::size_t from = at;
            while (from > 0 && err[from - 1] >= '0' && err[from - 1] <= '9')
                --from;
            if (from < at && std::stoi(err.substr(from, at - from)) > 0)
                return true;
        }
        return false;
    };
    for (int i = 0; i < 3000 && !pastZero(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(pastZero()) << p.Err();
    p.Signal(SIGINT);
    EXPECT_EQ(p.Wait(), KorvanCli::kExitInterrupted);
    EXPECT_NE(p.Err().find("не полностью"), std::string::npos) << p.Err();
    const std::string file = ReadFile(Path("t.csv"));
    std::size_t lines = 0;
    for (char ch : file)
        lines += ch == '\n' ? 1 : 0;
    EXPECT_GT(lines, 1u);  // a heading and some records
    EXPECT_LT(lines, 41u); // not the whole ring of 40
}

std::vector<std::string> Lines(const std::string& text, const std::string& end = "\n")
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at = text.find(end); at != std::string::npos; at = text.find(end, start)) {
        lines.push_back(text.substr(start, at - start));
        start = at + end.size();
    }
    return lines;
}

// The file a poll writes is the calibration page's: its heading, then per
// point the line whose time and selected values are the printed ones and
// whose other columns are empty.
void ExpectFileHoldsThePrintedPoints(const std::string& file, const std::vector<std::string>& printed,
                                     std::size_t selectedColumns)
{
    ASSERT_GE(file.size(), MeasurementFile::HeaderBytes().size());
    EXPECT_EQ(file.substr(0, MeasurementFile::HeaderBytes().size()), MeasurementFile::HeaderBytes());
    std::string expected = MeasurementFile::HeaderBytes();
    for (const std::string& line : printed)
        expected += line + std::string(30 - selectedColumns, ';') + "\r\n";
    EXPECT_EQ(file, expected);
}

TEST_F(KorvanTest, PollPrintsEachPointAsTheFileHoldsIt)
{
    StartSim();
    std::string out, err;
    ASSERT_EQ(RunKorvan(Args({"poll", "--period", "100", "--count", "3", "--read", "conc,adc", "-o", Path("m.csv")}),
                        &out, &err),
              0)
        << err;
    const std::vector<std::string> lines = Lines(out);
    ASSERT_EQ(lines.size(), 4u) << out;
    EXPECT_EQ(lines[0], "Время;Концентрация;АЦП");
    const std::vector<std::string> points(lines.begin() + 1, lines.end());
    for (const std::string& line : points) {
        // "2024.03.05 07:08:09;12,5000;1023,0": both values there, decimal commas.
        const std::vector<std::string> columns = Lines(line + ";", ";");
        ASSERT_EQ(columns.size(), 3u) << line;
        EXPECT_EQ(columns[0].size(), 19u) << line;
        EXPECT_EQ(columns[1].find(','), columns[1].size() - 5) << line; // four decimals
        EXPECT_EQ(columns[2].find(','), columns[2].size() - 2) << line; // one decimal
    }
    ExpectFileHoldsThePrintedPoints(ReadFile(Path("m.csv")), points, 2);
    EXPECT_NE(err.find("точек: 3"), std::string::npos) << err;

    // For a time instead of a count: points until it is up, no file.
    ASSERT_EQ(RunKorvan(Args({"poll", "--period", "100", "--duration", "2", "--read", "temp"}), &out, &err), 0) << err;
    const std::vector<std::string> timed = Lines(out);
    ASSERT_GE(timed.size(), 2u) << out;
    EXPECT_EQ(timed[0], "Время;Температура");
    for (std::size_t i = 1; i < timed.size(); ++i)
        EXPECT_EQ(Lines(timed[i] + ";", ";").size(), 2u) << timed[i];
}

TEST_F(KorvanTest, PollStoppedKeepsEveryPointInTheFile)
{
    StartSim();
    struct Case {
        const char* name;
        int signal; // 0: Enter
        int code;
    } cases[] = {{"Ctrl-C", SIGINT, KorvanCli::kExitInterrupted},
                 {"SIGTERM", SIGTERM, KorvanCli::kExitInterrupted},
                 {"Enter", 0, 0}};
    for (const Case& c : cases) {
        KorvanProcess p(home_.Path(), Args({"poll", "--period", "100", "-o", Path("m.csv")}));
        // The heading and two points.
        const auto printed = [&p] { return Lines(p.Out()).size(); };
        for (int i = 0; i < 3000 && printed() < 3; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_GE(printed(), 3u) << c.name << p.Err();
        if (c.signal == 0)
            p.Type("\n");
        else
            p.Signal(c.signal);
        EXPECT_EQ(p.Wait(), c.code) << c.name << p.Err();
        const std::vector<std::string> lines = Lines(p.Out());
        ASSERT_GE(lines.size(), 3u) << c.name;
        EXPECT_EQ(lines[0], "Время;Концентрация") << c.name;
        const std::vector<std::string> points(lines.begin() + 1, lines.end());
        const std::string file = ReadFile(Path("m.csv"));
        ExpectFileHoldsThePrintedPoints(file, points, 1);
        EXPECT_EQ(file.substr(file.size() - 2), "\r\n") << c.name;
        EXPECT_NE(p.Err().find("точек: " + std::to_string(points.size())), std::string::npos) << c.name << p.Err();
    }
}

TEST_F(KorvanTest, PollRefusals)
{
    StartSim();
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int code;
        const char* said; // in the error output
    } cases[] = {
        {"unknown read", Args({"poll", "--count", "1", "--read", "conc,volts"}), KorvanCli::kExitUsage,
         "conc, adc, temp, th, rp, pv, rh, pw, sh, th2, rh2, dw, mg"},
        {"empty read", Args({"poll", "--count", "1", "--read", "conc,"}), KorvanCli::kExitUsage, "пустое"},
        {"count and duration", Args({"poll", "--count", "1", "--duration", "5"}), KorvanCli::kExitUsage, "вместе"},
        {"period too short", Args({"poll", "--period", "50", "--count", "1"}), KorvanCli::kExitUsage, "--period"},
        {"no port", {"poll", "--count", "1"}, KorvanCli::kExitPort, "порт прибора"},
        {"folder missing", Args({"poll", "--count", "1", "-o", Path("no/such/folder/m.csv")}), KorvanCli::kExitFile,
         "не открывается"},
        {"disk full", Args({"poll", "--count", "1", "-o", "/dev/full"}), KorvanCli::kExitFile, "/dev/full"},
        {"device silent", {"poll", "--period", "100", "--device-port", "4"}, KorvanCli::kExitSilent,
         "не дал ни одной точки"},
    };
    PtyPair silent;
    home_.LinkPort(4, silent.SlavePath());
    for (const Case& c : cases) {
        std::string out, err;
        EXPECT_EQ(RunKorvan(c.args, &out, &err), c.code) << c.name << ": " << err;
        EXPECT_NE(err.find(c.said), std::string::npos) << c.name << ": " << err;
    }
}

TEST_F(KorvanTest, ReportFolderIsComplete)
{
    StartSim();
    std::string out, err;
    ASSERT_EQ(RunKorvan(Args({"report", "-o", Path("report")}), &out, &err), 0) << err;
    for (const char* name : {"info.json", "journal.csv", "thjournal.csv", "tlog.csv", "summary.txt"})
        EXPECT_FALSE(ReadFile(Path(std::string("report/") + name)).empty()) << name;
    const auto j = nlohmann::json::parse(ReadFile(Path("report/info.json")));
    EXPECT_EQ(j["journals"]["events"]["records"], 20);
    EXPECT_EQ(j["journals"]["thresholds"]["records"], 40);
    const std::string summary = ReadFile(Path("report/summary.txt"));
    for (const char* word : {"Датчик", "Прибор", "HART", "журнал событий: 20 записей", "Последние события", "всё прочитано"})
        EXPECT_NE(summary.find(word), std::string::npos) << word;
}

} // namespace
