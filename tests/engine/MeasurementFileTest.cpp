#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "Cp1251.h"
#include "MeasurementFile.h"
#include "SensorCalibrationLoopMeasurementsPoint.h"

namespace {

using Point = SensorCalibrationLoopMeasurementsPoint;

// The heading line as windows-1251 bytes, CR LF included.
const char* const kHeaderHex =
    "c2f0e5ecff3bcaeeedf6e5edf2f0e0f6e8ff3bc0d6cf3bd2e5ecefe5f0e0f2f3f0e03bd2e5ecefe5f0e0f2f3f0e020ed"
    "e0e3f0e5e2e0f2e5ebff3bd1eeeff0eef2e8e2ebe5ede8e520e4e0f2f7e8eae03bcde0eff0ffe6e5ede8e520ede020f2"
    "eeeaeee2ec20f8f3edf2e53bcde0eff0ffe6e5ede8e520ede020ede0e3f0e5e2e0f2e5ebe53bcde0eff0ffe6e5ede8e5"
    "20ede020f7f3e2f1f2e2e8f2e5ebfcedeeec20f1ebeee53bd1eeeff0eef2e8e2ebe5ede8e520ede0e3f0e5e2e0f2e5eb"
    "ff3bd8e8f0e8ede020f6e8eaebe020d8c8cc3bc2ebe0e6edeef1f2fc3bd2e5ecefe5f0e0f2f3f0e020ede0e3f0e5e2e0"
    "f2e5ebff204341543bd2e5ecefe5f0e0f2f3f0e020ede0e3f0e5e2e0f2e5ebff20504c543bd1eeeff0eef2e8e2ebe5ed"
    "e8e520ede0e3f0e5e2e0f2e5ebff204341543bd1eeeff0eef2e8e2ebe5ede8e520ede0e3f0e5e2e0f2e5ebff20504c54"
    "3bcceef9edeef1f2fc20ede0e3f0e5e2e0f2e5ebff204341543bcceef9edeef1f2fc20ede0e3f0e5e2e0f2e5ebff2050"
    "4c543bd0e0e7ede8f6e020eceef9edeef1f2e5e92043415420e820504c543bccf3ebfcf2e8e3e0e720313bccf3ebfcf2"
    "e8e3e0e720323bccf3ebfcf2e8e3e0e720333bccf3ebfcf2e8e3e0e720343bccf3ebfcf2e8e3e0e720353bccf3ebfcf2"
    "e8e3e0e720363bccf3ebfcf2e8e3e0e720373bccf3ebfcf2e8e3e0e720383bccf3ebfcf2e8e3e0e720393bccf3ebfcf2"
    "e8e3e0e72031303b20ccf3ebfcf2e8e3e0e72031313bccf3ebfcf2e8e3e0e72031320d0a";

std::string FromHex(const std::string& hex)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

std::tm SampleTime()
{
    std::tm t{};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 2; // March
    t.tm_mday = 5;
    t.tm_hour = 7;
    t.tm_min = 8;
    t.tm_sec = 9;
    return t;
}

Point OnlySlot(std::size_t slot, float value)
{
    Point p;
    p.values[slot] = value;
    p.valid[slot] = 1;
    return p;
}

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class TempDir {
public:
    TempDir()
    {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("engine-mfile-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::filesystem::path File(const char* name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

} // namespace

TEST(MeasurementFileFormat, HeaderBytesAreWindows1251WithCrLf)
{
    const std::string header = MeasurementFile::HeaderBytes();
    EXPECT_EQ(header, FromHex(kHeaderHex));

    std::size_t semicolons = 0;
    for (char c : header)
        semicolons += c == ';';
    EXPECT_EQ(semicolons + 1, 31u);
    // The blank after the tenth multigas column's separator.
    EXPECT_NE(header.find(";\xCC\xF3\xEB\xFC\xF2\xE8\xE3\xE0\xE7 10; \xCC"), std::string::npos);
}

TEST(MeasurementFileFormat, OnlyConcentrationValid)
{
    const std::string expected = "2024.03.05 07:08:09;12,5000" + std::string(29, ';') + "\r\n";
    EXPECT_EQ(MeasurementFile::LineBytes(OnlySlot(Point::kConcentration, 12.5f), SampleTime()), expected);
}

TEST(MeasurementFileFormat, OnlyMultigasChannelTwelveValid)
{
    Point p = OnlySlot(Point::kMultigas1 + 11, 3.14159f);
    // Slots 18 and 19 are never written, whatever they hold.
    p.values[18] = 99.0f;
    p.valid[18] = 1;
    p.values[19] = 98.0f;
    p.valid[19] = 1;
    const std::string expected = "2024.03.05 07:08:09" + std::string(30, ';') + "3,1416\r\n";
    EXPECT_EQ(MeasurementFile::LineBytes(p, SampleTime()), expected);
}

TEST(MeasurementFileFormat, EverySlotWithItsDecimals)
{
    Point p;
    for (std::size_t slot = 0; slot < Point::kSlots; ++slot) {
        p.values[slot] = 1.23456f;
        p.valid[slot] = 1;
    }
    p.values[Point::kAdc] = -0.05f; // negative, rounded as printf rounds
    const std::string expected =
        "2024.03.05 07:08:09"
        ";1,2346"                         // 0
        ";-0,1;1,2"                       // 1, 2
        ";1,23"                           // 3
        ";1,2;1,2;1,2;1,2"                // 4-7
        ";1,235"                          // 8
        ";1,2;1,2"                        // 9, 10
        ";1,23;1,23"                      // 11, 12
        ";1,2;1,2"                        // 13, 14
        ";1,2346;1,2346;1,2346"           // 15-17
        ";1,2346;1,2346;1,2346;1,2346;1,2346;1,2346"
        ";1,2346;1,2346;1,2346;1,2346;1,2346;1,2346" // 20-31
        "\r\n";
    EXPECT_EQ(MeasurementFile::LineBytes(p, SampleTime()), expected);
}

namespace {
std::vector<std::string> SplitColumns(std::string line)
{
    line = line.substr(0, line.size() - 2); // CR LF
    std::vector<std::string> columns;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = line.find(';', start);
        columns.push_back(line.substr(start, end - start));
        if (end == std::string::npos)
            return columns;
        start = end + 1;
    }
}
} // namespace

// The pieces other views print are the file's own columns, slot by slot.
TEST(MeasurementFileFormat, PiecesAreTheColumnsOfTheLine)
{
    Point p;
    for (std::size_t slot = 0; slot < Point::kSlots; slot += 2) { // every other slot, so empty ones are seen too
        p.values[slot] = -12.345678f + static_cast<float>(slot);
        p.valid[slot] = 1;
    }
    const std::vector<std::string> headings = SplitColumns(MeasurementFile::HeaderBytes());
    const std::vector<std::string> values = SplitColumns(MeasurementFile::LineBytes(p, SampleTime()));
    ASSERT_EQ(headings.size(), 31u);
    ASSERT_EQ(values.size(), 31u);
    EXPECT_EQ(Cp1251::FromUtf8(MeasurementFile::TimeHeading()), headings[0]);
    EXPECT_EQ(MeasurementFile::TimeText(SampleTime()), values[0]);
    std::size_t column = 1;
    for (std::size_t slot = 0; slot < Point::kSlots; ++slot) {
        if (!MeasurementFile::SlotInFile(slot)) {
            EXPECT_TRUE(slot == 18 || slot == 19) << slot;
            EXPECT_EQ(MeasurementFile::SlotHeading(slot), "") << slot;
            EXPECT_EQ(MeasurementFile::ValueText(p, slot), "") << slot;
            continue;
        }
        EXPECT_EQ(Cp1251::FromUtf8(MeasurementFile::SlotHeading(slot)), headings[column]) << slot;
        EXPECT_EQ(MeasurementFile::ValueText(p, slot), values[column]) << slot;
        EXPECT_EQ(values[column].empty(), slot % 2 != 0) << slot;
        ++column;
    }
    EXPECT_EQ(column, 31u);
    EXPECT_EQ(MeasurementFile::SlotHeading(Point::kConcentration), "Концентрация");
    EXPECT_EQ(MeasurementFile::ValueText(p, Point::kConcentration), "-12,3457");
}

// The values must be exactly what "%.Nf" gives in the C notation, with the
// point turned into a comma.
TEST(MeasurementFileFormat, ValuesMatchPrintfInTheCNotation)
{
    const float samples[] = {0.0f, -0.0f, 0.00005f, 0.125f, 0.0625f, 2.0625f, -0.0005f, 2.5f, -2.5f, 99.99995f, 1e6f, -123456.789f, 3.4e10f};
    for (float v : samples) {
        const std::string line = MeasurementFile::LineBytes(OnlySlot(Point::kHeaterResistance, v), SampleTime());
        char buffer[128];
        std::snprintf(buffer, sizeof buffer, "%.03f", static_cast<double>(v));
        std::string want = buffer;
        for (char& c : want)
            if (c == '.')
                c = ',';
        const std::string prefix = "2024.03.05 07:08:09" + std::string(9, ';');
        EXPECT_EQ(line, prefix + want + std::string(21, ';') + "\r\n") << v;
    }
}

TEST(MeasurementFileFormat, LinesUnchangedUnderADecimalCommaLocale)
{
    const std::string header = MeasurementFile::HeaderBytes();
    Point p;
    for (std::size_t slot = 0; slot < Point::kSlots; ++slot) {
        p.values[slot] = 1234.5678f;
        p.valid[slot] = 1;
    }
    const std::string line = MeasurementFile::LineBytes(p, SampleTime());

    // The process's own locale comes back afterwards: the test command runs
    // the whole suite once more in a Russian process.
    const char* current = std::setlocale(LC_ALL, nullptr);
    const std::string saved = current != nullptr ? current : "C";
    const char* candidates[] = {"ru_RU.UTF-8", "ru_RU.utf8", "ru_RU.CP1251", "ru_RU", "de_DE.UTF-8", "de_DE.utf8"};
    const char* chosen = nullptr;
    for (const char* name : candidates) {
        if (std::setlocale(LC_ALL, name) != nullptr && std::localeconv()->decimal_point[0] == ',') {
            chosen = name;
            break;
        }
    }
    if (chosen == nullptr) {
        std::setlocale(LC_ALL, saved.c_str());
        GTEST_SKIP() << "no decimal-comma locale installed";
    }
    const std::string headerThere = MeasurementFile::HeaderBytes();
    const std::string lineThere = MeasurementFile::LineBytes(p, SampleTime());
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(headerThere, header) << chosen;
    EXPECT_EQ(lineThere, line) << chosen;
    EXPECT_NE(line.find(";1234,5677;"), std::string::npos);
}

TEST(MeasurementFile, WritesHeaderAndLinesFlushedOneByOne)
{
    TempDir dir;
    const auto path = dir.File("looplog.csv");
    {
        std::ofstream old(path, std::ios::binary);
        old << "older content that must go away";
    }
    MeasurementFile file;
    ASSERT_EQ(file.Open(path.string()), MeasurementFile::Result::Ok);
    EXPECT_TRUE(file.IsOpen());
    ASSERT_EQ(file.WriteMeasurementHeader(), MeasurementFile::Result::Ok);
    EXPECT_EQ(ReadAll(path), MeasurementFile::HeaderBytes());

    const Point first = OnlySlot(Point::kConcentration, 12.5f);
    ASSERT_EQ(file.WriteMeasurementLine(first, SampleTime()), MeasurementFile::Result::Ok);
    // Read by another reader while still open: the line is already there.
    EXPECT_EQ(ReadAll(path), MeasurementFile::HeaderBytes() + MeasurementFile::LineBytes(first, SampleTime()));

    ASSERT_EQ(file.WriteMeasurementLine(OnlySlot(Point::kAdc, 7.0f)), MeasurementFile::Result::Ok);
    file.Close();
    EXPECT_FALSE(file.IsOpen());

    const std::string content = ReadAll(path);
    const std::string lastLine = content.substr(content.rfind("\r\n", content.size() - 3) + 2);
    // "YYYY.MM.DD HH:MM:SS" of the current time, then the ADC value.
    ASSERT_EQ(lastLine.size(), 19u + 2 + 3 + 28 + 2);
    EXPECT_EQ(lastLine[4], '.');
    EXPECT_EQ(lastLine[10], ' ');
    EXPECT_EQ(lastLine.substr(19), ";;7,0" + std::string(28, ';') + "\r\n");
}

TEST(MeasurementFile, UnopenablePathIsAClearFailure)
{
    TempDir dir;
    MeasurementFile file;
    EXPECT_EQ(file.Open((dir.File("missing") / "looplog.csv").string()), MeasurementFile::Result::OpenFailed);
    EXPECT_EQ(file.Open(""), MeasurementFile::Result::OpenFailed);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.WriteMeasurementHeader(), MeasurementFile::Result::NotOpen);
    EXPECT_EQ(file.WriteMeasurementLine(OnlySlot(0, 1.0f)), MeasurementFile::Result::NotOpen);
}

TEST(MeasurementFile, SecondWriterIsRefusedAndDoesNotTruncate)
{
    TempDir dir;
    const auto path = dir.File("looplog.csv");
    MeasurementFile first;
    ASSERT_EQ(first.Open(path.string()), MeasurementFile::Result::Ok);
    ASSERT_EQ(first.WriteMeasurementHeader(), MeasurementFile::Result::Ok);

    MeasurementFile second;
    EXPECT_EQ(second.Open(path.string()), MeasurementFile::Result::OpenFailed);
    EXPECT_EQ(ReadAll(path), MeasurementFile::HeaderBytes());

    first.Close();
    EXPECT_EQ(second.Open(path.string()), MeasurementFile::Result::Ok);
    EXPECT_EQ(ReadAll(path), "");
}

TEST(MeasurementFile, FullDiskIsAWriteFailure)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    MeasurementFile file;
    ASSERT_EQ(file.Open("/dev/full"), MeasurementFile::Result::Ok);
    EXPECT_EQ(file.WriteMeasurementHeader(), MeasurementFile::Result::WriteFailed);
    EXPECT_EQ(file.WriteMeasurementLine(OnlySlot(0, 1.0f), SampleTime()), MeasurementFile::Result::WriteFailed);
    EXPECT_TRUE(file.IsOpen());
}
