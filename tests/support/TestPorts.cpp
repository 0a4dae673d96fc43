#include "TestPorts.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

TempConfigHome::TempConfigHome()
{
    char tmpl[] = "/tmp/korvan-test-XXXXXX";
    const char* dir = ::mkdtemp(tmpl);
    if (dir == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = dir;
    std::filesystem::create_directories(PortsFolder());
    const char* old = std::getenv("XDG_CONFIG_HOME");
    if (old != nullptr) {
        hadOld_ = true;
        oldValue_ = old;
    }
    ::setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
}

TempConfigHome::~TempConfigHome()
{
    if (hadOld_)
        ::setenv("XDG_CONFIG_HOME", oldValue_.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void TempConfigHome::LinkPort(int portNumber, const std::string& target) const
{
    const std::string link = PortsFolder() + "/com" + std::to_string(portNumber);
    std::error_code ec;
    std::filesystem::remove(link, ec);
    std::filesystem::create_symlink(target, link);
}

PtyPair::PtyPair()
{
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        throw std::runtime_error("cannot create a pseudo-terminal");
    const char* name = ::ptsname(master_);
    if (name == nullptr)
        throw std::runtime_error("ptsname failed");
    slavePath_ = name;
    // Raw on the slave side from the start, so nothing is echoed back before
    // the connector sets its own line settings.
    const int slave = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY);
    if (slave >= 0) {
        termios t{};
        if (::tcgetattr(slave, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(slave, TCSANOW, &t);
        }
        ::close(slave);
    }
}

PtyPair::~PtyPair()
{
    CloseMaster();
}

void PtyPair::CloseMaster()
{
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

bool PtyPair::Send(const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string PtyPair::Receive(int timeoutMs, std::size_t atLeast)
{
    std::string out;
    for (;;) {
        pollfd p{master_, POLLIN, 0};
        const int r = ::poll(&p, 1, timeoutMs);
        if (r <= 0 || (p.revents & POLLIN) == 0)
            break;
        char buf[256];
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n <= 0)
            break;
        out.append(buf, static_cast<std::size_t>(n));
        if (out.size() >= atLeast && timeoutMs > 20)
            timeoutMs = 20;
    }
    return out;
}

NoPortRights::NoPortRights(std::string device, std::string configHome)
    : device_(std::move(device)), configHome_(std::move(configHome))
{
    struct stat st {};
    if (::stat(device_.c_str(), &st) == 0) {
        oldMode_ = st.st_mode & 07777;
        modeChanged_ = ::chmod(device_.c_str(), 0) == 0;
    }
    constexpr uid_t kNobody = 65534;
    if (::geteuid() == 0) {
        if (!configHome_.empty() && ::stat(configHome_.c_str(), &st) == 0) {
            oldHomeMode_ = st.st_mode & 07777;
            homeChanged_ = ::chmod(configHome_.c_str(), oldHomeMode_ | 0111) == 0;
        }
        userChanged_ = ::seteuid(kNobody) == 0;
    }
}

NoPortRights::~NoPortRights()
{
    if (userChanged_)
        (void)::seteuid(0);
    if (homeChanged_)
        (void)::chmod(configHome_.c_str(), oldHomeMode_);
    if (modeChanged_)
        (void)::chmod(device_.c_str(), oldMode_);
}

