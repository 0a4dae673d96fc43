#include "ModbusAsciiMaster.h"

#include <cstring>
#include <ctime>

#include "FileOs.h"
#include "TCsLock.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

ModbusAsciiMaster::~ModbusAsciiMaster()
{
    StopLog();
}

std::string ModbusAsciiMaster::Trim(const std::string& text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::uint8_t ModbusAsciiMaster::Exchange(const std::string& command, bool retry, std::string& answer)
{
    if (!connector_)
        return kNotOpen;

    transmit_.assign(command.begin(), command.end());
    transmit_.push_back('\r');
    transmit_.push_back('\n');

    watch_.CountExchange();
    watch_.SettleAfterAbandoned(*connector_, *time_);
    const int tries = retry ? 3 : 1;
    for (int attempt = 0; attempt < tries; ++attempt) {
        if (watch_.StopRequested())
            return kLineFailed;
        if (!connector_->Write(0, transmit_.data(), static_cast<int>(transmit_.size())))
            return ConnectorFailed();
        receive_.clear();
        int held = 0;
        for (int cycle = 0; cycle < replyPollCount_; ++cycle) {
            if (held < kLineBufferSize) {
                receive_.resize(kLineBufferSize);
                if (watch_.Pause(*time_, kCycleSleepMs)) {
                    watch_.NoteAbandoned();
                    return kLineFailed;
                }
                int got = 0;
                if (!connector_->Read(0, receive_.data() + held, kLineBufferSize - held, got))
                    return ConnectorFailed();
                if (got > 0 && got <= kLineBufferSize - held)
                    held += got;
            }
            // The answer is everything received since the command went out:
            // a line is recognised only when it is the last thing received.
            if (held > 2 && receive_[held - 2] == '\r' && receive_[held - 1] == '\n') {
                const char* text = reinterpret_cast<const char*>(receive_.data());
                const std::size_t length = static_cast<std::size_t>(held - 2);
                const void* nul = std::memchr(text, '\0', length);
                answer.assign(text, nul != nullptr ? static_cast<const char*>(nul) - text : length);
                watch_.CountAnswer();
                return kOk;
            }
        }
        // A late answer to this try is dropped before the command goes again.
        if (watch_.Pause(*time_, kRetrySleepMs)) {
            watch_.NoteAbandoned();
            return kLineFailed;
        }
        connector_->PurgeInput();
    }
    return kNoAnswer;
}

bool ModbusAsciiMaster::Request(const std::string& command, const std::string& answerKeyword, std::string& answer,
                                bool retry)
{
    return DoRequest(Mode::Keyword, command, answerKeyword, std::string(), answer, nullptr, retry);
}

bool ModbusAsciiMaster::RequestEither(const std::string& command, const std::string& answerKeyword,
                                      const std::string& errorKeyword, std::string& answer, bool& isError, bool retry)
{
    return DoRequest(Mode::Either, command, answerKeyword, errorKeyword, answer, &isError, retry);
}

bool ModbusAsciiMaster::RequestRaw(const std::string& command, std::string& answer)
{
    return DoRequest(Mode::Raw, command, std::string(), std::string(), answer, nullptr, false);
}

bool ModbusAsciiMaster::DoRequest(Mode mode, const std::string& command, const std::string& answerKeyword,
                                  const std::string& errorKeyword, std::string& answer, bool* isError, bool retry)
{
    // A line break inside the command would put a second command on the line
    // (a typed value "1<CR><LF>@WMMC ..."), and a NUL cuts it short: such a
    // command is refused and nothing is sent.
    if (command.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        return false;

    TCsLock lock(lock_);

    std::string logLine;
    if (logActive_) {
        const std::tm now = time_->LocalNow();
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%Y.%m.%d %H:%M:%S ", &now);
        logLine = stamp;
        logLine += command;
    }

    std::string line;
    const std::uint8_t result = Exchange(command, mode == Mode::Raw ? false : retry, line);
    if (result != kOk) {
        if (logActive_)
            WriteLogLine(logLine);
        return false;
    }
    if (logActive_) {
        if (!line.empty())
            logLine += " -> " + line;
        WriteLogLine(logLine);
    }

    switch (mode) {
    case Mode::Keyword:
        if (!StartsWith(line, answerKeyword))
            return false;
        answer = Trim(line.substr(answerKeyword.size()));
        return true;
    case Mode::Either:
        if (line.empty())
            return false;
        if (!answerKeyword.empty() && StartsWith(line, answerKeyword)) {
            *isError = false;
            answer = Trim(line.substr(answerKeyword.size()));
            return true;
        }
        if (!errorKeyword.empty() && StartsWith(line, errorKeyword)) {
            *isError = true;
            answer = Trim(line.substr(errorKeyword.size()));
            return true;
        }
        return false;
    case Mode::Raw:
        if (line.empty())
            return false;
        answer = line;
        return true;
    }
    return false;
}

void ModbusAsciiMaster::WriteLogLine(const std::string& line)
{
    if (log_ == nullptr)
        return;
    // CR LF on every platform: the log is opened in binary mode. Written
    // unbuffered, line and end together, so a crash loses nothing already
    // exchanged. A failed write is not the exchange's failure: the log just
    // misses that line.
    const std::string whole = line + "\r\n";
    FileOs::System().Write(log_, whole.data(), whole.size());
}

bool ModbusAsciiMaster::StartLog(const std::string& path)
{
    TCsLock lock(lock_);
    if (logActive_)
        return true;
    std::FILE* file = FileOs::System().OpenExclusive(path);
    if (file == nullptr)
        return false;
    log_ = file;
    logActive_ = true;
    return true;
}

void ModbusAsciiMaster::StopLog()
{
    TCsLock lock(lock_);
    if (logActive_) {
        logActive_ = false;
        FileOs::System().Close(log_);
        log_ = nullptr;
    }
}
