// detector-sim as a manual trial runs it: lines pulled and put back by
// SIGUSR1 and by commands on standard input, while it keeps serving.

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "SimLineClient.h"
#include "TestPorts.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// The executable with its standard input and output on pipes.
class SimProcess {
public:
    explicit SimProcess(const std::string& portsFolder)
    {
        int in[2] = {-1, -1};
        int out[2] = {-1, -1};
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
        std::vector<std::string> args{KORVAN_DETECTOR_SIM_EXE, "--ports-dir", portsFolder, "--device-port", "1",
            "--hart-port", "2", "--multigas-port", "3"};
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        in_ = in[1];
        out_ = out[0];
    }

    ~SimProcess()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        CloseInput();
        if (out_ >= 0)
            ::close(out_);
    }

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }

    void Send(const std::string& command) const
    {
        const std::string line = command + "\n";
        ASSERT_EQ(::write(in_, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    }

    void CloseInput()
    {
        if (in_ >= 0)
            ::close(in_);
        in_ = -1;
    }

    // Reads the output until `text` has appeared after what earlier waits
    // consumed; what came before it is consumed.
    bool WaitFor(const std::string& text, int timeoutMs = 20000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const std::size_t at = output_.find(text, seen_);
            if (at != std::string::npos) {
                seen_ = at + text.size();
                return true;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                return false;
            char buf[512];
            const ssize_t n = ::read(out_, buf, sizeof buf);
            if (n <= 0)
                return false;
            output_.append(buf, static_cast<std::size_t>(n));
        }
    }

    // Waits for the process to end; its exit status, -1 when it did not.
    int Wait()
    {
        int status = 0;
        const pid_t pid = pid_;
        pid_ = -1;
        if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
            return -1;
        return WEXITSTATUS(status);
    }

    const std::string& Output() const { return output_; }

private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::string output_;
    std::size_t seen_ = 0;
};

bool WaitForLink(const std::string& link, bool present)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (fs::exists(fs::symlink_status(link)) != present) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

TEST(DetectorSimProcess, SignalAndCommandsPullAndRestoreTheLines)
{
    TempConfigHome home;
    SimProcess sim(home.PortsFolder());
    ASSERT_TRUE(sim.Started());
    ASSERT_TRUE(sim.WaitFor("Serving")) << sim.Output();
    const std::string link = home.PortsFolder() + "/com1";
    {
        SimLineClient client(link);
        EXPECT_EQ(client.Ask("@RRID"), "@RAID 1");
    }

    ::kill(sim.Pid(), SIGUSR1);
    ASSERT_TRUE(sim.WaitFor("Lines unplugged")) << sim.Output();
    EXPECT_TRUE(WaitForLink(link, false));
    EXPECT_FALSE(fs::exists(fs::symlink_status(home.PortsFolder() + "/com3")));
    ::kill(sim.Pid(), SIGUSR1);
    ASSERT_TRUE(sim.WaitFor("Lines back on COM1, ")) << sim.Output();
    ASSERT_TRUE(WaitForLink(link, true));
    SimLineClient client(link);
    EXPECT_EQ(client.Ask("@RRID"), "@RAID 1");

    sim.Send("silent on");
    ASSERT_TRUE(sim.WaitFor("Devices silent")) << sim.Output();
    EXPECT_EQ(client.Ask("@RRID", 500), "");
    sim.Send("garbage on");
    ASSERT_TRUE(sim.WaitFor("garbage (00 FF 23 7E)")) << sim.Output();
    client.Write("@RRID\r\n");
    EXPECT_EQ(client.ReadUntilQuiet(2000, 150), (std::vector<std::uint8_t>{0x00, 0xFF, '#', 0x7E}));
    sim.Send("garbage off");
    ASSERT_TRUE(sim.WaitFor("Answers without garbage again")) << sim.Output();
    EXPECT_EQ(client.Ask("@RRID"), "@RAID 1");

    sim.Send("bogus");
    EXPECT_TRUE(sim.WaitFor("unknown command \"bogus\"")) << sim.Output();
    sim.Send("unplug");
    ASSERT_TRUE(sim.WaitFor("Lines unplugged")) << sim.Output();
    EXPECT_TRUE(client.HungUp(5000));
    sim.Send("replug");
    ASSERT_TRUE(sim.WaitFor("Lines back on COM1, ")) << sim.Output();

    // Without its input the simulator serves on and still takes signals.
    sim.CloseInput();
    ::kill(sim.Pid(), SIGUSR1);
    ASSERT_TRUE(sim.WaitFor("Lines unplugged")) << sim.Output();
    ::kill(sim.Pid(), SIGUSR1);
    ASSERT_TRUE(sim.WaitFor("Lines back on COM1, ")) << sim.Output();
    ASSERT_TRUE(WaitForLink(link, true));
    EXPECT_EQ(SimLineClient(link).Ask("@RRID"), "@RAID 1");

    ::kill(sim.Pid(), SIGTERM);
    EXPECT_TRUE(sim.WaitFor("Stopping.")) << sim.Output();
    EXPECT_EQ(sim.Wait(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

}  // namespace
