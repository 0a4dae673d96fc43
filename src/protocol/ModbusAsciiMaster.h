#pragma once

#include <atomic>
#include <cstdio>
#include <string>

#include "ModbusMaster.h"
#include "TCriticalSection.h"

// The sensor's line-oriented text exchange on the device line, beside the
// Modbus frames of the base class: one "@" command line out, one answer line
// back, with the exchange log the user may switch on.
class ModbusAsciiMaster : public ModbusMaster {
public:
    static constexpr int kLineBufferSize = 256;

    ModbusAsciiMaster() = default;
    ~ModbusAsciiMaster() override;

    // Sends `command` + CR LF and waits for a line ending in CR LF. Result 0
    // (answer holds the line without CR LF, cut at the first NUL), 128 line
    // not open, 129 line failure, 255 no complete line after all tries.
    // Callers normally use the request operations, which take the lock.
    std::uint8_t Exchange(const std::string& command, bool retry, std::string& answer);

    // Succeeds when the answer begins with `answerKeyword` (an empty keyword
    // accepts any answer); `answer` then receives the trimmed rest.
    bool Request(const std::string& command, const std::string& answerKeyword, std::string& answer, bool retry);

    // As Request, but an answer that begins with `errorKeyword` succeeds too,
    // with isError set.
    bool RequestEither(const std::string& command, const std::string& answerKeyword, const std::string& errorKeyword,
                       std::string& answer, bool& isError, bool retry);

    // One try, no keyword check, the answer line untrimmed (the terminal).
    bool RequestRaw(const std::string& command, std::string& answer);

    // The exchange log: a UTF-8 path (a Cyrillic folder works on Windows
    // too), created or truncated; other programs may read it while it is
    // open, but not write it.
    bool StartLog(const std::string& path);
    void StopLog();
    // Does not wait for a running exchange (the window asks it while the
    // worker may hold the exchange lock for seconds).
    bool IsLogActive() const { return logActive_.load(); }

    // White space as the C locale knows it, removed from both ends.
    static std::string Trim(const std::string& text);

private:
    enum class Mode { Keyword, Either, Raw };
    bool DoRequest(Mode mode, const std::string& command, const std::string& answerKeyword,
                   const std::string& errorKeyword, std::string& answer, bool* isError, bool retry);
    void WriteLogLine(const std::string& line);

    std::atomic<bool> logActive_{false};
    std::FILE* log_ = nullptr;
    TCriticalSection lock_;
};
