#include "IntlogCsv.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Cp1251.h"
#include "MeasurementFileOs.h"
#include "SensorParameters.h"

namespace IntlogCsv {

namespace {

constexpr const char* kLineEnd = "\r\n";

// Numbers go to the file with a decimal comma, whatever the sensor sent.
std::string DecimalComma(std::string text)
{
    for (char& c : text)
        if (c == '.')
            c = ',';
    return text;
}

std::string SystemReason(int code)
{
    const char* text = std::strerror(code);
    return text != nullptr ? std::string(text) : std::string("error ") + std::to_string(code);
}

} // namespace

std::string Bytes(const SensorParameters& parameters, const std::vector<std::string>& columnNamesUtf8,
                  const std::vector<SensorIntlogRecord>& records)
{
    std::string out;
    const auto& pi = parameters.piValues;
    if (pi.valid != 0)
        out += DecimalComma("PID P:" + pi.texts[0] + " I:" + pi.texts[1] + " D:" + pi.texts[2]) + kLineEnd;
    if (parameters.lpValues.valid != 0) {
        std::string heading;
        for (const std::string& name : columnNamesUtf8) {
            if (name.empty())
                continue;
            if (!heading.empty())
                heading += ';';
            heading += Cp1251::FromUtf8(name);
        }
        if (!heading.empty())
            out += heading + kLineEnd;
    }
    for (const SensorIntlogRecord& r : records) {
        std::string line;
        for (const std::string& text : r.texts) {
            if (text.empty())
                continue;
            if (!line.empty())
                line += ';';
            line += DecimalComma(text);
        }
        // A record without a field would only be an empty line.
        if (!line.empty())
            out += line + kLineEnd;
    }
    return out;
}

bool Write(const std::string& utf8Path, const std::string& bytes, std::string& error)
{
    error.clear();
    errno = 0;
    std::FILE* file = OpenMeasurementFileExclusive(utf8Path);
    if (file == nullptr) {
        error = SystemReason(errno != 0 ? errno : EACCES);
        return false;
    }
    errno = 0;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        error = SystemReason(writeError != 0 ? writeError : (errno != 0 ? errno : EIO));
        return false;
    }
    return true;
}

} // namespace IntlogCsv
