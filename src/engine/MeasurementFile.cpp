#include "MeasurementFile.h"

#include <array>
#include <charconv>
#include <cstddef>

#include "Cp1251.h"
#include "MeasurementFileOs.h"

namespace {

using Point = SensorCalibrationLoopMeasurementsPoint;

// The headings as the user knows them from the calibration page, 31 columns:
// time, the 18 measured slots, then the 12 multigas channels. The blank
// before "Мультигаз 11" is in the files users already keep; new files match
// them, so tools that find a column by its heading work on both.
constexpr std::array<const char*, 31> kColumnHeadings = {
    "Время", "Концентрация", "АЦП", "Температура",
    "Температура нагревателя", "Сопротивление датчика", "Напряжение на токовм шунте", "Напряжение на нагревателе",
    "Напряжение на чувствительном слое", "Сопротивление нагревателя", "Ширина цикла ШИМ", "Влажность",
    "Температура нагревателя CAT", "Температура нагревателя PLT", "Сопротивление нагревателя CAT",
    "Сопротивление нагревателя PLT", "Мощность нагревателя CAT", "Мощность нагревателя PLT",
    "Разница мощностей CAT и PLT",
    "Мультигаз 1", "Мультигаз 2", "Мультигаз 3", "Мультигаз 4", "Мультигаз 5", "Мультигаз 6", "Мультигаз 7",
    "Мультигаз 8", "Мультигаз 9", "Мультигаз 10", " Мультигаз 11", "Мультигаз 12"};

// Decimals per slot; -1 marks the two slots the file leaves out.
constexpr std::array<int, Point::kSlots> kDecimals = {
    4,                   // 0 concentration
    1, 1,                // 1 ADC, 2 temperature
    2,                   // 3 heater temperature
    1, 1, 1, 1,          // 4 sensor resistance, 5-7 voltages
    3,                   // 8 heater resistance
    1, 1,                // 9 PWM, 10 humidity
    2, 2,                // 11-12 heater temperatures CAT, PLT
    1, 1,                // 13-14 heater resistances CAT, PLT
    4, 4, 4,             // 15-17 powers CAT, PLT, difference
    -1, -1,              // 18-19 never filled
    4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, // 20-31 multigas channels
};

// The file's column of a slot (0 is the time), or -1 for a slot it leaves out.
int ColumnOfSlot(std::size_t slot)
{
    if (slot >= Point::kSlots || kDecimals[slot] < 0)
        return -1;
    int column = 1;
    for (std::size_t i = 0; i < slot; ++i)
        column += kDecimals[i] < 0 ? 0 : 1;
    return column;
}

// Fixed notation in the C manner whatever the locale, then the decimal comma
// the spreadsheet users read.
std::string FormatValue(float value, int decimals)
{
    char buffer[128];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value), std::chars_format::fixed, decimals);
    if (result.ec != std::errc())
        return {};
    std::string text(buffer, result.ptr);
    for (char& c : text) {
        if (c == '.')
            c = ',';
    }
    return text;
}

void AppendTwoDigits(std::string& out, int value)
{
    if (value < 0 || value > 99)
        value = 0;
    out.push_back(static_cast<char>('0' + value / 10));
    out.push_back(static_cast<char>('0' + value % 10));
}

// "%Y.%m.%d %H:%M:%S"
std::string FormatTime(const std::tm& t)
{
    std::string out;
    char year[16];
    const auto result = std::to_chars(year, year + sizeof year, t.tm_year + 1900);
    out.append(year, result.ptr);
    out.push_back('.');
    AppendTwoDigits(out, t.tm_mon + 1);
    out.push_back('.');
    AppendTwoDigits(out, t.tm_mday);
    out.push_back(' ');
    AppendTwoDigits(out, t.tm_hour);
    out.push_back(':');
    AppendTwoDigits(out, t.tm_min);
    out.push_back(':');
    AppendTwoDigits(out, t.tm_sec);
    return out;
}

} // namespace

MeasurementFile::~MeasurementFile()
{
    Close();
}

MeasurementFile::Result MeasurementFile::Open(const std::string& utf8Path)
{
    Close();
    path_ = utf8Path;
    length_ = 0;
    file_ = os_->OpenExclusive(utf8Path);
    return file_ != nullptr ? Result::Ok : Result::OpenFailed;
}

void MeasurementFile::Close()
{
    if (file_ != nullptr) {
        os_->Close(file_);
        file_ = nullptr;
    }
}

std::string MeasurementFile::HeaderBytes()
{
    std::string heading;
    for (const char* column : kColumnHeadings) {
        if (!heading.empty())
            heading.push_back(';');
        heading += column;
    }
    return Cp1251::FromUtf8(heading) + "\r\n";
}

std::string MeasurementFile::LineBytes(const Point& point, const std::tm& localTime)
{
    std::string line = TimeText(localTime);
    for (std::size_t slot = 0; slot < Point::kSlots; ++slot) {
        if (!SlotInFile(slot))
            continue;
        line.push_back(';');
        line += ValueText(point, slot);
    }
    line += "\r\n";
    return line;
}

bool MeasurementFile::SlotInFile(std::size_t slot)
{
    return ColumnOfSlot(slot) >= 0;
}

std::string MeasurementFile::TimeHeading()
{
    return kColumnHeadings[0];
}

std::string MeasurementFile::SlotHeading(std::size_t slot)
{
    const int column = ColumnOfSlot(slot);
    return column < 0 ? std::string() : std::string(kColumnHeadings[static_cast<std::size_t>(column)]);
}

std::string MeasurementFile::TimeText(const std::tm& localTime)
{
    return FormatTime(localTime);
}

std::string MeasurementFile::ValueText(const Point& point, std::size_t slot)
{
    if (!SlotInFile(slot) || point.valid[slot] != 1)
        return {};
    return FormatValue(point.values[slot], kDecimals[slot]);
}

MeasurementFile::Result MeasurementFile::WriteMeasurementHeader()
{
    return WriteBytes(HeaderBytes());
}

MeasurementFile::Result MeasurementFile::WriteMeasurementLine(const Point& point)
{
    std::tm now{};
    if (!CurrentLocalTime(now))
        now = std::tm{};
    return WriteMeasurementLine(point, now);
}

MeasurementFile::Result MeasurementFile::WriteMeasurementLine(const Point& point, const std::tm& localTime)
{
    if (file_ == nullptr)
        return Result::NotOpen;
    return WriteBytes(LineBytes(point, localTime));
}

MeasurementFile::Result MeasurementFile::WriteBytes(const std::string& bytes)
{
    if (file_ == nullptr)
        return Result::NotOpen;
    const std::size_t written = os_->Write(file_, bytes.data(), bytes.size());
    if (written != bytes.size()) {
        // A disk that filled mid-line keeps the part it took: cut it off, so
        // the file ends with a whole line and the next line gets its own
        // chance on a row of its own. A device or a pipe has nothing to cut.
        os_->Truncate(file_, length_);
        return Result::WriteFailed;
    }
    length_ += bytes.size();
    return Result::Ok;
}
