#include "CliOs.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "IniSettings.h"

namespace {

volatile sig_atomic_t g_interrupted = 0;
// The self-pipe: the handler writes one byte so that a poll() wakes at once.
int g_wakeRead = -1;
int g_wakeWrite = -1;
// Once the standard input has ended, Enter can no longer come.
bool g_stdinEnded = false;

extern "C" void OnInterrupt(int)
{
    const int saved = errno;
    g_interrupted = 1;
    if (g_wakeWrite >= 0) {
        const char b = 1;
        [[maybe_unused]] const ssize_t n = ::write(g_wakeWrite, &b, 1);
    }
    errno = saved;
}

std::string ConfigHome()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && *xdg != '\0')
        return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.config";
}

} // namespace

namespace CliOs {

void PrepareConsole() {}

void InstallInterruptHandlers()
{
    int fds[2];
    if (g_wakeRead < 0 && ::pipe(fds) == 0) {
        for (int fd : fds) {
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
        g_wakeRead = fds[0];
        g_wakeWrite = fds[1];
    }
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0; // no SA_RESTART: a blocking call returns with EINTR
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGHUP, &sa, nullptr);
    // A closed pipe on stdout must end the run through a write error, not
    // kill the tool while a current is fixed.
    struct sigaction ign {};
    ign.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ign, nullptr);
}

bool Interrupted()
{
    return g_interrupted != 0;
}

void ResetInterrupted()
{
    g_interrupted = 0;
}

bool WaitForEnterOrInterrupt(int timeoutMs)
{
    for (;;) {
        if (Interrupted())
            return false;
        pollfd fds[2] = {{g_wakeRead, POLLIN, 0}, {g_stdinEnded ? -1 : STDIN_FILENO, POLLIN, 0}};
        const int r = ::poll(fds, 2, timeoutMs < 0 ? -1 : timeoutMs);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        if (fds[0].revents != 0) {
            char buf[16];
            while (::read(g_wakeRead, buf, sizeof buf) > 0) {
            }
            if (Interrupted())
                return false;
        }
        if (fds[1].revents != 0) {
            char c = 0;
            const ssize_t n = ::read(STDIN_FILENO, &c, 1);
            if (n == 1 && c == '\n')
                return true;
            if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN))
                g_stdinEnded = true;
        }
    }
}

bool StderrIsTerminal()
{
    return ::isatty(STDERR_FILENO) != 0;
}

std::string SettingsLocation()
{
    return ConfigHome() + "/Korvan/KorvanSensorSetup.conf";
}

std::string StoredSetting(const std::string& section, const std::string& key)
{
    std::string text;
    if (!ReadWholeFile(SettingsLocation(), text))
        return {};
    return IniValue(text, section, key);
}

std::vector<std::string> SerialPortsFound()
{
    std::vector<std::string> out;
    // Ports with a driver behind them; the serial class lists real ones.
    if (DIR* d = ::opendir("/sys/class/tty")) {
        while (dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0) {
                out.push_back("/dev/" + name);
            } else if (name.rfind("ttyS", 0) == 0) {
                // Legacy 8250 ports exist whether or not a UART is fitted;
                // only those with a device link belong to hardware.
                struct stat st {};
                if (::stat(("/sys/class/tty/" + name + "/device/driver").c_str(), &st) == 0 &&
                    ::access(("/sys/class/tty/" + name + "/device/resources").c_str(), F_OK) == 0)
                    out.push_back("/dev/" + name);
            }
        }
        ::closedir(d);
    }
    std::sort(out.begin(), out.end());
    return out;
}

bool ReadWholeFile(const std::string& utf8Path, std::string& out)
{
    std::ifstream in(utf8Path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    return true;
}

bool MakeFolder(const std::string& utf8Path)
{
    std::string partial;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = utf8Path.find('/', pos + 1);
        partial = utf8Path.substr(0, pos);
        if (!partial.empty())
            ::mkdir(partial.c_str(), 0777);
    }
    struct stat st {};
    return ::stat(utf8Path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace CliOs
