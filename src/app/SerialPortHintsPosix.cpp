#include "SerialPortHints.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <system_error>

#include "ComPortPath.h"

namespace fs = std::filesystem;

namespace SerialPortHints {

namespace {

bool StartsWith(const std::string& s, const char* prefix)
{
    return s.rfind(prefix, 0) == 0;
}

// The legacy 8250 driver registers /dev/ttyS0 to ttyS31 whether or not a UART
// is fitted; listing them all would bury the real ports.
bool IsRealLegacyPort(const std::string& name)
{
    std::error_code ec;
    const fs::path driver = fs::path("/sys/class/tty") / name / "device" / "driver";
    const fs::path target = fs::read_symlink(driver, ec);
    if (ec)
        return false;
    const std::string driverName = target.filename().string();
    return driverName != "serial8250";
}

// Orders ttyS2 before ttyS10.
bool NaturalLess(const std::string& a, const std::string& b)
{
    auto split = [](const std::string& s) {
        std::size_t i = s.find_last_not_of("0123456789");
        std::size_t cut = i == std::string::npos ? 0 : i + 1;
        long n = cut < s.size() ? std::strtol(s.c_str() + cut, nullptr, 10) : -1;
        return std::make_pair(s.substr(0, cut), n);
    };
    return split(a) < split(b);
}

} // namespace

std::vector<std::string> FoundPorts()
{
    std::vector<std::string> out;
    std::error_code ec;
    for (fs::directory_iterator it("/dev", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (StartsWith(name, "ttyUSB") || StartsWith(name, "ttyACM") ||
            (StartsWith(name, "ttyS") && IsRealLegacyPort(name)))
            out.push_back(it->path().string());
    }
    std::sort(out.begin(), out.end(), NaturalLess);
    return out;
}

std::vector<PortLink> PortLinks()
{
    std::vector<PortLink> out;
    static const std::regex linkName("com([1-9][0-9]{0,5})");
    std::error_code ec;
    for (fs::directory_iterator it(ComPortFolder(), ec), end; !ec && it != end; it.increment(ec)) {
        std::smatch m;
        const std::string name = it->path().filename().string();
        if (!std::regex_match(name, m, linkName))
            continue;
        PortLink link;
        link.number = std::atoi(m[1].str().c_str());
        std::error_code linkEc;
        const fs::path target = fs::read_symlink(it->path(), linkEc);
        link.target = linkEc ? it->path().string() : target.string();
        out.push_back(link);
    }
    std::sort(out.begin(), out.end(), [](const PortLink& a, const PortLink& b) { return a.number < b.number; });
    return out;
}

PortTarget TargetOf(int number)
{
    PortTarget t;
    if (number < 1)
        return t;
    t.linked = ComPortIsLinked(number);
    t.path = ComPortPath(number);
    std::error_code ec;
    if (t.linked) {
        const fs::path target = fs::read_symlink(t.path, ec);
        if (!ec)
            t.path = (target.is_relative() ? fs::path(ComPortFolder()) / target : target).lexically_normal().string();
        ec.clear();
    }
    // Follows the link: a link to a device that is gone does not count.
    t.exists = fs::exists(t.path, ec) && !ec;
    return t;
}

} // namespace SerialPortHints
