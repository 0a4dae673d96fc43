// POSIX serial port: termios line settings, exclusive open through flock and
// TIOCEXCL, and reads shaped like the Win32 read timeouts of the Windows build
// (1 ms per requested byte in total, ending after a 2 ms gap once bytes came).
#include "ComConnector.h"
#include "ComPortPath.h"
#include "PosixLineSettings.h"

#include <cerrno>
#include <chrono>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kReadIntervalMs = 2;       // gap that ends a read once bytes came
constexpr int kReadMsPerByte = 1;        // total read timeout per requested byte
// Writes have no timeout on the Windows build; here a line that takes no
// bytes at all for this long (a wedged adapter) fails the write instead of
// hanging the worker.
constexpr int kWriteStallMs = 2000;

int Fd(std::intptr_t h) { return static_cast<int>(h); }

// The stop event's descriptor, or -1 (poll skips a negative descriptor).
int StopFd(const ManualResetEvent* stop)
{
    return stop != nullptr ? static_cast<int>(stop->NativeWaitHandle()) : -1;
}

speed_t BaudConstant(unsigned baud)
{
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B0;
    }
}

} // namespace

bool MakePosixTermios(const LineSettings& s, termios& t)
{
    const speed_t speed = BaudConstant(s.baudRate);
    if (speed == B0)
        return false;
    cfmakeraw(&t);
    if (cfsetispeed(&t, speed) != 0 || cfsetospeed(&t, speed) != 0)
        return false;

    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    switch (s.dataBits) {
    case 5: t.c_cflag |= CS5; break;
    case 6: t.c_cflag |= CS6; break;
    case 7: t.c_cflag |= CS7; break;
    default: t.c_cflag |= CS8; break;
    }
    if (s.parity == LineSettings::Parity::Odd) {
        t.c_cflag |= PARENB | PARODD;
        t.c_iflag |= INPCK;
    } else {
        t.c_iflag &= ~static_cast<tcflag_t>(INPCK);
    }
    if (s.stopBits == 2)
        t.c_cflag |= CSTOPB;
    t.c_cflag |= CLOCAL | CREAD;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    // Reads are shaped with poll(); the descriptor itself never waits.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    return true;
}

namespace {

// Unix98 pseudo-terminal slaves (the simulator's lines, terminal emulators).
bool IsPseudoTerminal(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    const unsigned m = major(st.st_rdev);
    return m >= 136 && m <= 143;
}

bool ApplyLineSettings(int fd, const LineSettings& s)
{
    termios t{};
    if (tcgetattr(fd, &t) != 0 || !MakePosixTermios(s, t))
        return false;
    if (tcsetattr(fd, TCSANOW, &t) == 0)
        return true;
    // A pseudo-terminal has no parity generator: it drops PARENB whatever is
    // asked, and the C library reports that as EINVAL once nothing else
    // changes (the second 8O1 open of the same line). Everything else must
    // have been taken; a real port that refuses parity still fails here.
    termios now{};
    if (errno != EINVAL || !IsPseudoTerminal(fd) || tcgetattr(fd, &now) != 0)
        return false;
    const tcflag_t parity = PARENB;
    return cfgetospeed(&now) == cfgetospeed(&t) && cfgetispeed(&now) == cfgetispeed(&t) &&
           (now.c_cflag & ~parity) == (t.c_cflag & ~parity) && now.c_iflag == t.c_iflag &&
           now.c_oflag == t.c_oflag && now.c_lflag == t.c_lflag;
}

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

ComConnector::~ComConnector()
{
    Close();
}

bool ComConnector::OpenPort(int portNumber, const LineSettings& settings)
{
    if (handle_ != kInvalidHandle)
        return false;
    if (portNumber < 1) {
        lastOpenError_ = OpenError::NotSet;
        return false;
    }

    const std::string path = ComPortPath(portNumber);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        lastOpenError_ = OpenErrorOf(errno);
        return false;
    }

    // Another program (or another connector) holding the port keeps it.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
        lastOpenError_ = OpenError::Busy;
        ::close(fd);
        return false;
    }
    if (!ApplyLineSettings(fd, settings)) {
        lastOpenError_ = OpenError::Failed;
        ::close(fd);
        return false;
    }

    // Raise DTR and RTS: a HART modem and many converters take their supply
    // or direction from them. A line without modem control (a pseudo-terminal)
    // refuses the call, which is fine.
    int lines = TIOCM_DTR | TIOCM_RTS;
    (void)::ioctl(fd, TIOCMBIS, &lines);

    ::tcflush(fd, TCIOFLUSH);
    handle_ = fd;
    lastOpenError_ = OpenError::None;
    return true;
}

ComConnector::OpenError ComConnector::OpenErrorOf(int systemError)
{
    switch (systemError) {
    case 0: return OpenError::None;
    // Serial devices belong to the dialout group; a user outside it gets
    // EACCES (EPERM from some security modules).
    case EACCES:
    case EPERM: return OpenError::PermissionDenied;
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR: return OpenError::NotFound;
    case EBUSY:
    case EWOULDBLOCK: return OpenError::Busy;
    default: return OpenError::Failed;
    }
}

void ComConnector::Close()
{
    if (handle_ != kInvalidHandle) {
        ::close(Fd(handle_));
    }
    handle_ = kInvalidHandle;
}

bool ComConnector::Write(int unit, const std::uint8_t* data, int length)
{
    (void)unit;
    if (handle_ == kInvalidHandle || length < 0 || (length > 0 && data == nullptr) || StopSet())
        return false;
    const int fd = Fd(handle_);
    int written = 0;
    while (written < length) {
        const ssize_t n = ::write(fd, data + written, static_cast<size_t>(length - written));
        if (n > 0) {
            written += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p[2] = {{fd, POLLOUT, 0}, {StopFd(stop_), POLLIN, 0}};
            const int r = ::poll(p, 2, kWriteStallMs);
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0 || (p[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0 || (p[1].revents & POLLIN) != 0)
                return false;
            continue;
        }
        return false;
    }
    return true;
}

bool ComConnector::Read(int unit, std::uint8_t* buffer, int capacity, int& count)
{
    (void)unit;
    count = 0;
    if (handle_ == kInvalidHandle || capacity < 0 || (capacity > 0 && buffer == nullptr))
        return false;
    if (StopSet())
        return false;
    if (capacity == 0)
        return true;

    const int fd = Fd(handle_);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(capacity * kReadMsPerByte);
    int got = 0;
    while (got < capacity) {
        const int totalLeft = MsLeft(deadline);
        int waitMs = totalLeft;
        if (got > 0)
            waitMs = totalLeft < kReadIntervalMs ? totalLeft : kReadIntervalMs;

        pollfd fds[2] = {{fd, POLLIN, 0}, {StopFd(stop_), POLLIN, 0}};
        const int r = ::poll(fds, 2, waitMs);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (r == 0)
            break;  // the total timeout ran out, or the line went quiet after bytes came
        // A stop ends the read at once; what came is dropped with it, as the
        // exchange it belonged to is abandoned.
        if ((fds[1].revents & POLLIN) != 0)
            return false;
        const pollfd& p = fds[0];
        if ((p.revents & POLLIN) != 0) {
            const ssize_t n = ::read(fd, buffer + got, static_cast<size_t>(capacity - got));
            if (n > 0) {
                got += static_cast<int>(n);
                continue;
            }
            if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
                continue;
            // 0 bytes although poll saw input, or EIO: the line is gone
            // (an unplugged USB adapter, the far end of a pseudo-terminal closed).
            return false;
        }
        if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
            return false;
    }
    count = got;
    return true;
}

void ComConnector::SetStopEvent(const ManualResetEvent* stop)
{
    stop_ = stop;
}

bool ComConnector::StopSet() const
{
    return stop_ != nullptr && stop_->IsSet();
}

void ComConnector::PurgeInput()
{
    if (handle_ != kInvalidHandle)
        ::tcflush(Fd(handle_), TCIFLUSH);
}
