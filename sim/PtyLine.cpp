#include "PtyLine.h"

#include "LineSchedule.h"

#include <cerrno>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

std::runtime_error SystemError(const std::string& what)
{
    return std::runtime_error(what + ": " + std::strerror(errno));
}

void CloseFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

}  // namespace

std::string PtyLine::DefaultPortsFolder()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && *xdg != '\0')
        return std::string(xdg) + "/Korvan/ports";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/.config/Korvan/ports";
}

PtyLine::PtyLine(LineDevice& device, const Options& options)
    : device_(device), options_(options), pace_(options.pace), answerDelayMs_(options.answerDelayMs),
      folder_(options.portsFolder.empty() ? DefaultPortsFolder() : options.portsFolder),
      linkPath_(folder_ + "/com" + std::to_string(options.portNumber))
{
    if (options_.portNumber < 1)
        throw std::runtime_error("COM port number must be 1 or more, not " + std::to_string(options_.portNumber));
    if (options_.baud == 0 || options_.bitsPerByte == 0)
        throw std::runtime_error("line rate must not be zero");
    std::lock_guard lock(plugMutex_);
    Open();
}

PtyLine::~PtyLine()
{
    std::lock_guard lock(plugMutex_);
    Close();
}

std::string PtyLine::DevicePath() const
{
    std::lock_guard lock(plugMutex_);
    return devicePath_;
}

void PtyLine::Unplug()
{
    std::lock_guard lock(plugMutex_);
    Close();
}

void PtyLine::Replug()
{
    std::lock_guard lock(plugMutex_);
    if (!plugged_)
        Open();
}

void PtyLine::Open()
{
    try {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            throw SystemError("cannot create a pseudo-terminal");
        // ptsname_r: lines are plugged in from several threads.
        char name[128];
        if (::ptsname_r(master_, name, sizeof name) != 0)
            throw SystemError("ptsname");
        devicePath_ = name;
        // Holding one slave descriptor ourselves keeps the master from seeing
        // a hang-up (and reads from failing with EIO) whenever no client has
        // the port open, so the line survives the tool closing and reopening.
        slave_ = ::open(devicePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave_ < 0)
            throw SystemError("cannot open " + devicePath_);
        termios t{};
        if (::tcgetattr(slave_, &t) != 0)
            throw SystemError("tcgetattr " + devicePath_);
        // Raw from the start: no echo of the device's answers back into the
        // device, no line editing of binary frames.
        ::cfmakeraw(&t);
        if (::tcsetattr(slave_, TCSANOW, &t) != 0)
            throw SystemError("tcsetattr " + devicePath_);
        // A device never blocks on a line that nobody listens to: what the
        // far end does not take is lost.
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0)
            throw SystemError("pipe");

        std::error_code ec;
        std::filesystem::create_directories(folder_, ec);
        if (ec)
            throw std::runtime_error("cannot create the ports folder " + folder_ + ": " + ec.message());
        std::filesystem::remove(linkPath_, ec);
        std::filesystem::create_symlink(devicePath_, linkPath_, ec);
        if (ec)
            throw std::runtime_error("cannot link " + linkPath_ + ": " + ec.message());
        thread_ = std::thread([this] { Run(); });
    } catch (...) {
        std::error_code ec;
        if (!devicePath_.empty() && std::filesystem::read_symlink(linkPath_, ec) == devicePath_)
            std::filesystem::remove(linkPath_, ec);
        CloseFd(wake_[0]);
        CloseFd(wake_[1]);
        CloseFd(slave_);
        CloseFd(master_);
        devicePath_.clear();
        throw;
    }
    plugged_ = true;
}

void PtyLine::Close()
{
    if (wake_[1] >= 0) {
        const char c = 'x';
        [[maybe_unused]] const ssize_t n = ::write(wake_[1], &c, 1);
    }
    if (thread_.joinable())
        thread_.join();
    std::error_code ec;
    // Only our own link: another simulator may have taken the number since.
    if (!devicePath_.empty() && std::filesystem::read_symlink(linkPath_, ec) == devicePath_)
        std::filesystem::remove(linkPath_, ec);
    CloseFd(wake_[0]);
    CloseFd(wake_[1]);
    // Our slave first: once the master goes too, every descriptor a client
    // still has of this pseudo-terminal is hung up.
    CloseFd(slave_);
    CloseFd(master_);
    devicePath_.clear();
    plugged_ = false;
}

void PtyLine::Run()
{
    LineSchedule schedule(device_, options_.baud, options_.bitsPerByte, options_.idleGapMs);
    std::uint8_t buf[4096];
    auto send = [&](const std::vector<std::uint8_t>& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;  // nobody reads the far end: the bytes are lost, as on a wire
            done += static_cast<std::size_t>(n);
        }
        bytesSent_ += done;
    };

    for (;;) {
        Clock::time_point now = Clock::now();
        const Clock::time_point wakeAt = schedule.WakeAt();
        timespec ts{};
        timespec* timeout = nullptr;
        if (wakeAt != Clock::time_point::max()) {
            const auto left = std::max<Clock::duration>(wakeAt - now, Clock::duration::zero());
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            ts.tv_sec = static_cast<time_t>(ns / 1000000000);
            ts.tv_nsec = static_cast<long>(ns % 1000000000);
            timeout = &ts;
        }
        pollfd fds[2] = {{master_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        const int r = ::ppoll(fds, 2, timeout, nullptr);
        if (r < 0 && errno != EINTR)
            break;
        if (r > 0 && (fds[1].revents & POLLIN) != 0)
            break;
        now = Clock::now();
        if (r > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n > 0) {
                bytesReceived_ += static_cast<std::uint64_t>(n);
                schedule.Received(buf, static_cast<std::size_t>(n), now, pace_.load(), answerDelayMs_.load());
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                // Should not happen while we hold the slave; never spin on it.
                ::usleep(10000);
            }
        }
        schedule.Due(now, send);
    }
}
