#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A plain serial client for the simulator tests: opens a linked COM path as
// any program would and talks bytes. It knows frames only as far as a test
// needs them and computes the Modbus CRC on its own, bit by bit, so the
// tests do not lean on the simulator's helpers. Every read has a timeout.
class SimLineClient {
public:
    explicit SimLineClient(const std::string& path);
    ~SimLineClient();
    SimLineClient(const SimLineClient&) = delete;
    SimLineClient& operator=(const SimLineClient&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    bool Write(const std::vector<std::uint8_t>& bytes);
    bool Write(const std::string& bytes);

    // Reads until `count` bytes or the time is up.
    std::vector<std::uint8_t> ReadBytes(std::size_t count, int timeoutMs);
    // Reads until the bytes end with CR LF or the time is up.
    std::string ReadLine(int timeoutMs);
    // Reads everything that arrives within `totalMs`; counts the reads.
    std::vector<std::uint8_t> ReadAll(int totalMs, int* reads = nullptr);
    // Waits for the first byte up to `timeoutMs`, then reads on until the
    // line has been quiet for `quietMs`.
    std::vector<std::uint8_t> ReadUntilQuiet(int timeoutMs, int quietMs, int* reads = nullptr);

    // What the port shows once the far end has gone, within `timeoutMs`:
    // true when poll reports a hang-up or an error, or a read ends with end
    // of file or fails with EIO or ENXIO.
    bool HungUp(int timeoutMs);

    // Sends a command line and returns the answer line without CR LF; empty
    // when no full line came.
    std::string Ask(const std::string& command, int timeoutMs = 2000);

    static std::uint16_t Crc(const std::vector<std::uint8_t>& bytes);
    static std::vector<std::uint8_t> Request(std::uint8_t unit, std::uint8_t function, std::uint16_t a, std::uint16_t b);
    static bool CrcOk(const std::vector<std::uint8_t>& frame);

    // Function 4: returns the whole answer frame (empty on silence).
    std::vector<std::uint8_t> ReadInput(std::uint8_t unit, std::uint16_t start, std::uint16_t count, int timeoutMs = 2000);
    // Function 6.
    std::vector<std::uint8_t> WriteRegister(std::uint8_t unit, std::uint16_t address, std::uint16_t value, int timeoutMs = 2000);

private:
    int fd_ = -1;
};
