#include "LineTranscript.h"

#include <chrono>
#include <ctime>
#include <stdexcept>

LineTranscript::LineTranscript(const std::string& path) : file_(std::fopen(path.c_str(), "wb"))
{
    if (file_ == nullptr)
        throw std::runtime_error("cannot create the record file \"" + path + "\"");
}

LineTranscript::~LineTranscript()
{
    if (file_ != nullptr)
        std::fclose(file_);
}

std::string LineTranscript::Describe(const std::vector<std::uint8_t>& bytes)
{
    const std::size_t n = bytes.size();
    bool text = n >= 2 && bytes[n - 2] == '\r' && bytes[n - 1] == '\n';
    for (std::size_t i = 0; text && i + 2 < n; ++i)
        text = bytes[i] >= 0x20 && bytes[i] != 0x7F;
    if (text)
        return std::string(bytes.begin(), bytes.end() - 2);
    static const char kHex[] = "0123456789ABCDEF";
    std::string out = "[";
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0)
            out.push_back(' ');
        out.push_back(kHex[bytes[i] >> 4]);
        out.push_back(kHex[bytes[i] & 0x0F]);
    }
    out.push_back(']');
    return out;
}

void LineTranscript::Request(const std::string& line, const std::vector<std::uint8_t>& bytes)
{
    Write(line, "->", Describe(bytes));
}

void LineTranscript::Answer(const std::string& line, const SimAnswer& answer)
{
    std::vector<std::uint8_t> bytes;
    for (const SimPiece& piece : answer)
        bytes.insert(bytes.end(), piece.bytes.begin(), piece.bytes.end());
    std::string what = bytes.empty() ? "(silence)" : Describe(bytes);
    if (answer.size() > 1)
        what += " (in " + std::to_string(answer.size()) + " pieces)";
    Write(line, "<-", what);
}

void LineTranscript::Write(const std::string& line, const char* direction, const std::string& what)
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::lock_guard<std::mutex> lock(mutex_);
    std::fprintf(file_, "%s.%03d %s %s %s\n", stamp, static_cast<int>(ms), line.c_str(), direction, what.c_str());
    std::fflush(file_);
}

RecordedLineDevice::RecordedLineDevice(LineDevice& device, std::string line,
                                       std::shared_ptr<LineTranscript> transcript)
    : device_(device), line_(std::move(line)), transcript_(std::move(transcript))
{
}

void RecordedLineDevice::Feed(const std::uint8_t* data, std::size_t length, std::vector<SimAnswer>& answers)
{
    partial_.insert(partial_.end(), data, data + length);
    const std::size_t before = answers.size();
    device_.Feed(data, length, answers);
    if (answers.size() == before)
        return;
    // The bytes since the last complete request made these requests; one
    // read rarely holds more than one, and then they stand together.
    transcript_->Request(line_, partial_);
    partial_.clear();
    for (std::size_t i = before; i < answers.size(); ++i)
        transcript_->Answer(line_, answers[i]);
}

void RecordedLineDevice::LineIdle()
{
    device_.LineIdle();
    // The device dropped what it held of a request: so does the record.
    partial_.clear();
}
