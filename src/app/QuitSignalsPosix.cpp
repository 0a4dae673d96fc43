#include "QuitSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The write end for the handler; -1 while no handler is installed.
volatile sig_atomic_t g_writeFd = -1;

void OnSignal(int)
{
    const int saved = errno;
    const int fd = g_writeFd;
    if (fd >= 0) {
        const char byte = 1;
        // A full pipe already holds a request: nothing is lost.
        [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
    }
    errno = saved;
}

constexpr int kSignals[] = {SIGTERM, SIGINT};

} // namespace

struct QuitSignals::Os {
    int fds[2] = {-1, -1};
    struct sigaction previous[2] = {};
    std::unique_ptr<QSocketNotifier> notifier;
};

QuitSignals::QuitSignals(QObject* parent) : QObject(parent) {}

QuitSignals::~QuitSignals()
{
    Remove();
}

bool QuitSignals::Installed() const
{
    return os_ != nullptr;
}

bool QuitSignals::Install()
{
    if (os_)
        return true;
    auto os = std::make_unique<Os>();
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, os->fds) != 0)
        return false;
    ::fcntl(os->fds[0], F_SETFL, ::fcntl(os->fds[0], F_GETFL) | O_NONBLOCK);
    ::fcntl(os->fds[1], F_SETFL, ::fcntl(os->fds[1], F_GETFL) | O_NONBLOCK);
    os->notifier = std::make_unique<QSocketNotifier>(os->fds[1], QSocketNotifier::Read);
    connect(os->notifier.get(), &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        while (::read(os_->fds[1], buffer, sizeof buffer) > 0) {
        }
        emit QuitRequested();
    });
    g_writeFd = os->fds[0];
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], &action, &os->previous[i]);
    os_ = std::move(os);
    return true;
}

void QuitSignals::Remove()
{
    if (!os_)
        return;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], &os_->previous[i], nullptr);
    g_writeFd = -1;
    os_->notifier.reset();
    ::close(os_->fds[0]);
    ::close(os_->fds[1]);
    os_.reset();
}
