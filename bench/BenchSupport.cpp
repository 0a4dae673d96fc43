#include "BenchSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
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

std::vector<RecordedExchange> ReadRecord(const std::string& path, const std::string& line)
{
    std::vector<RecordedExchange> out;
    std::ifstream in(path);
    for (std::string text; std::getline(in, text);) {
        // "YYYY-MM-DD HH:MM:SS.mmm line -> what" / "... line <- what"
        std::tm t{};
        int ms = 0;
        char name[32] = {};
        char direction[3] = {};
        int consumed = 0;
        if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d.%d %31s %2s %n", &t.tm_year, &t.tm_mon, &t.tm_mday,
                        &t.tm_hour, &t.tm_min, &t.tm_sec, &ms, name, direction, &consumed) < 9 ||
            line != name)
            continue;
        t.tm_year -= 1900;
        t.tm_mon -= 1;
        t.tm_isdst = -1;
        std::string what = text.substr(static_cast<std::size_t>(consumed));
        if (std::string(direction) == "->") {
            RecordedExchange e;
            e.line = name;
            e.requestAt = std::chrono::system_clock::from_time_t(std::mktime(&t)) + std::chrono::milliseconds(ms);
            out.push_back(e);
            continue;
        }
        if (out.empty())
            continue;
        const std::size_t pieces = what.find(" (in ");
        if (pieces != std::string::npos)
            what.erase(pieces);
        std::size_t bytes = 0;
        if (what == "(silence)")
            bytes = 0;
        else if (!what.empty() && what.front() == '[')
            bytes = (what.size() - 2 + 1) / 3;   // "[01 02]"
        else
            bytes = what.size() + 2;             // the text and its CR LF
        out.back().answerBytes = bytes;
    }
    return out;
}

double ExchangeFloorSeconds(const RecordedExchange& e, const PtyLine::Options& line, unsigned answerDelayMs,
                            const MasterWaits& waits)
{
    if (e.answerBytes == 0)
        return waits.cycles * waits.cycleSleepS + waits.retrySleepS;
    const double arrival =
        answerDelayMs / 1000.0 + static_cast<double>(e.answerBytes) * line.bitsPerByte / line.baud;
    if (waits.readRunsOn)
        return std::max(waits.cycleSleepS, arrival);
    // A read cycle sees only what came before its sleep ended: the answer is
    // whole after the first sleep that ends after its last byte.
    const double cycles = std::max(1.0, std::ceil(arrival / waits.cycleSleepS - 1e-9));
    return cycles * waits.cycleSleepS;
}
