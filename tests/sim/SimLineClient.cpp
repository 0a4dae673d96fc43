#include "SimLineClient.h"

#include <cerrno>
#include <algorithm>
#include <chrono>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point end)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

SimLineClient::SimLineClient(const std::string& path)
{
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0)
        return;
    termios t{};
    if (::tcgetattr(fd_, &t) == 0) {
        ::cfmakeraw(&t);
        ::cfsetispeed(&t, B9600);
        ::cfsetospeed(&t, B9600);
        ::tcsetattr(fd_, TCSANOW, &t);
    }
    ::tcflush(fd_, TCIOFLUSH);
}

SimLineClient::~SimLineClient()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool SimLineClient::Write(const std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool SimLineClient::Write(const std::string& bytes)
{
    return Write(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

std::vector<std::uint8_t> SimLineClient::ReadBytes(std::size_t count, int timeoutMs)
{
    std::vector<std::uint8_t> out;
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < count) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, MsLeft(end)) <= 0)
            break;
        std::uint8_t buf[512];
        const ssize_t n = ::read(fd_, buf, std::min(sizeof buf, count - out.size()));
        if (n <= 0)
            break;
        out.insert(out.end(), buf, buf + n);
    }
    return out;
}

std::string SimLineClient::ReadLine(int timeoutMs)
{
    std::string out;
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < 2 || out.compare(out.size() - 2, 2, "\r\n") != 0) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, MsLeft(end)) <= 0)
            break;
        char c = 0;
        if (::read(fd_, &c, 1) != 1)
            break;
        out.push_back(c);
        if (out.size() > 4096)
            break;
    }
    return out;
}

std::vector<std::uint8_t> SimLineClient::ReadAll(int totalMs, int* reads)
{
    std::vector<std::uint8_t> out;
    int count = 0;
    const auto end = Clock::now() + std::chrono::milliseconds(totalMs);
    for (;;) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, MsLeft(end)) <= 0)
            break;
        std::uint8_t buf[512];
        const ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n <= 0)
            break;
        ++count;
        out.insert(out.end(), buf, buf + n);
    }
    if (reads != nullptr)
        *reads = count;
    return out;
}

std::vector<std::uint8_t> SimLineClient::ReadUntilQuiet(int timeoutMs, int quietMs, int* reads)
{
    std::vector<std::uint8_t> out;
    int count = 0;
    int wait = timeoutMs;
    for (;;) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, wait) <= 0)
            break;
        std::uint8_t buf[512];
        const ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n <= 0)
            break;
        ++count;
        out.insert(out.end(), buf, buf + n);
        wait = quietMs;
    }
    if (reads != nullptr)
        *reads = count;
    return out;
}

bool SimLineClient::HungUp(int timeoutMs)
{
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        pollfd p{fd_, POLLIN, 0};
        const int r = ::poll(&p, 1, MsLeft(end));
        if (r <= 0)
            return false;
        if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
            return true;
        std::uint8_t buf[512];
        const ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n == 0 || (n < 0 && (errno == EIO || errno == ENXIO)))
            return true;
        // Bytes still on their way before the end: read on.
    }
}

std::string SimLineClient::Ask(const std::string& command, int timeoutMs)
{
    if (!Write(command + "\r\n"))
        return {};
    std::string line = ReadLine(timeoutMs);
    if (line.size() < 2 || line.compare(line.size() - 2, 2, "\r\n") != 0)
        return {};
    line.resize(line.size() - 2);
    return line;
}

std::uint16_t SimLineClient::Crc(const std::vector<std::uint8_t>& bytes)
{
    std::uint16_t crc = 0xFFFF;
    for (std::uint8_t b : bytes) {
        crc ^= b;
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) != 0 ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

std::vector<std::uint8_t> SimLineClient::Request(std::uint8_t unit, std::uint8_t function, std::uint16_t a, std::uint16_t b)
{
    std::vector<std::uint8_t> f{unit, function, static_cast<std::uint8_t>(a >> 8), static_cast<std::uint8_t>(a & 0xFF),
        static_cast<std::uint8_t>(b >> 8), static_cast<std::uint8_t>(b & 0xFF)};
    const std::uint16_t crc = Crc(f);
    f.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    f.push_back(static_cast<std::uint8_t>(crc >> 8));
    return f;
}

bool SimLineClient::CrcOk(const std::vector<std::uint8_t>& frame)
{
    if (frame.size() < 3)
        return false;
    const std::uint16_t crc = Crc(std::vector<std::uint8_t>(frame.begin(), frame.end() - 2));
    return frame[frame.size() - 2] == (crc & 0xFF) && frame[frame.size() - 1] == (crc >> 8);
}

std::vector<std::uint8_t> SimLineClient::ReadInput(std::uint8_t unit, std::uint16_t start, std::uint16_t count, int timeoutMs)
{
    if (!Write(Request(unit, 4, start, count)))
        return {};
    return ReadUntilQuiet(timeoutMs, 60);
}

std::vector<std::uint8_t> SimLineClient::WriteRegister(std::uint8_t unit, std::uint16_t address, std::uint16_t value, int timeoutMs)
{
    if (!Write(Request(unit, 6, address, value)))
        return {};
    return ReadUntilQuiet(timeoutMs, 60);
}
