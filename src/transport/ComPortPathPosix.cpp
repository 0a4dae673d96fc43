#include "ComPortPath.h"

#include <cstdlib>

#include <sys/stat.h>

std::string ComPortFolder()
{
    std::string base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && *xdg != '\0') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home != nullptr ? home : "") + "/.config";
    }
    return base + "/Korvan/ports";
}

namespace {
std::string LinkPath(int portNumber)
{
    return ComPortFolder() + "/com" + std::to_string(portNumber);
}
} // namespace

bool ComPortIsLinked(int portNumber)
{
    struct stat st {};
    return portNumber >= 1 && ::lstat(LinkPath(portNumber).c_str(), &st) == 0;
}

std::string ComPortPath(int portNumber)
{
    if (ComPortIsLinked(portNumber))
        return LinkPath(portNumber);
    return "/dev/ttyS" + std::to_string(portNumber - 1);
}

bool ComPathPresent(const std::string& path)
{
    // stat follows a link: a link whose pseudo-terminal or adapter is gone
    // counts as absent.
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

std::string ComPortTarget(int portNumber)
{
    if (portNumber < 1)
        return {};
    char* resolved = ::realpath(ComPortPath(portNumber).c_str(), nullptr);
    if (resolved == nullptr)
        return {};
    std::string out(resolved);
    std::free(resolved);
    return out;
}
