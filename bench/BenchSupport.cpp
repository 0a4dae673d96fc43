#include "BenchSupport.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

BenchConfigHome::BenchConfigHome()
{
    char tmpl[] = "/tmp/korvan-bench-XXXXXX";
    if (::mkdtemp(tmpl) == nullptr)
        throw std::runtime_error("cannot make a temporary folder");
    path_ = tmpl;
    std::filesystem::create_directories(PortsFolder());
    ::setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
}

BenchConfigHome::~BenchConfigHome()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

double WireSeconds(const PtyLine& line)
{
    const auto& o = line.LineOptions();
    const double bytes = static_cast<double>(line.BytesReceived() + line.BytesSent());
    return bytes * o.bitsPerByte / o.baud;
}

double RequestWireSeconds(const PtyLine& line)
{
    const auto& o = line.LineOptions();
    return static_cast<double>(line.BytesReceived()) * o.bitsPerByte / o.baud;
}

double AnswerWireSeconds(const PtyLine& line)
{
    const auto& o = line.LineOptions();
    return static_cast<double>(line.BytesSent()) * o.bitsPerByte / o.baud;
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
