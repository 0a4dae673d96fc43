// The CSV files of the journal and terminal pages, byte for byte, and the
// checked writing of a file: created, not created, or created and then not
// filled, and an older file kept when the save fails.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "CsvFiles.h"
#include "FileOs.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

// Two entries, newest first as the engine copies them.
const std::vector<JournalEntryText> kTwoEntries = {
    {"2023.11.14 22:13:20", "Превышен порог 1, значение 12.500000"},
    {"2023.11.14 21:58:20", "Питание включено"},
};

// windows-1251 written out, so that the test does not take the code page
// from the program it checks.
const std::string kJournalHeading = "\xC4\xE0\xF2\xE0/\xE2\xF0\xE5\xEC\xFF;\xD1\xEE\xE1\xFB\xF2\xE8\xE5\r\n";
const std::string kNewestLine =
    "2023.11.14 22:13:20;\xCF\xF0\xE5\xE2\xFB\xF8\xE5\xED \xEF\xEE\xF0\xEE\xE3 1, "
    "\xE7\xED\xE0\xF7\xE5\xED\xE8\xE5 12.500000\r\n";
const std::string kOlderLine = "2023.11.14 21:58:20;\xCF\xE8\xF2\xE0\xED\xE8\xE5 \xE2\xEA\xEB\xFE\xF7\xE5\xED\xEE\r\n";

fs::path FromUtf8(const std::string& utf8)
{
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class TempFolder {
public:
    TempFolder()
    {
        std::random_device rd;
        path_ = fs::temp_directory_path() / ("korvan-files-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(path_);
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& Path() const { return path_; }
    // A UTF-8 path as the writers take it.
    std::string Utf8(const std::string& name) const
    {
        const std::u8string u8 = (path_ / fs::path(std::u8string(name.begin(), name.end()))).u8string();
        return std::string(u8.begin(), u8.end());
    }

private:
    fs::path path_;
};

TEST(JournalCsv, HeadingThenNewestFirst)
{
    EXPECT_EQ(CsvFiles::JournalCsv(kTwoEntries, CsvFiles::JournalOrder::NewestFirst),
              kJournalHeading + kNewestLine + kOlderLine);
}

TEST(JournalCsv, SortedAscendingWritesTheOldestFirst)
{
    EXPECT_EQ(CsvFiles::JournalCsv(kTwoEntries, CsvFiles::JournalOrder::OldestFirst),
              kJournalHeading + kOlderLine + kNewestLine);
}

TEST(JournalCsv, AnEmptyJournalIsTheHeadingAlone)
{
    EXPECT_EQ(CsvFiles::JournalCsv({}, CsvFiles::JournalOrder::OldestFirst), kJournalHeading);
}

TEST(TerminalLogCsv, HeadingThenExchangesInLogOrderWithTheDeviceBytesKept)
{
    // The log holds what went over the line, already in the device's code
    // page; an exchange without an answer has an empty second field.
    const std::vector<SensorTerminalLogRecord> log = {
        {"@RRID", "@RRID 7"},
        {"@RRUT", "@RRUT \xEC\xE3/\xEC" "3"},
        {"@XYZ", ""},
    };
    EXPECT_EQ(CsvFiles::TerminalLogCsv(log),
              "\xCE\xF2\xEF\xF0\xE0\xE2\xEB\xE5\xED\xEE;\xCF\xF0\xE8\xED\xFF\xF2\xEE\r\n"
              "@RRID;@RRID 7\r\n"
              "@RRUT;@RRUT \xEC\xE3/\xEC" "3\r\n"
              "@XYZ;\r\n");
}

TEST(CsvWrite, TheFileHoldsExactlyTheBytesEvenUnderACyrillicName)
{
    TempFolder folder;
    const std::string path = folder.Utf8("журнал порогов.csv");
    const FileWriteResult r = CsvFiles::WriteJournalCsv(path, kTwoEntries, CsvFiles::JournalOrder::NewestFirst);
    ASSERT_TRUE(r.Ok()) << r.error;
    EXPECT_TRUE(r.error.empty());
    EXPECT_EQ(ReadAll(FromUtf8(path)), kJournalHeading + kNewestLine + kOlderLine);
}

TEST(CsvWrite, AnExistingFileIsReplacedNotAppendedTo)
{
    TempFolder folder;
    const std::string path = folder.Utf8("tlog.csv");
    {
        std::ofstream old(FromUtf8(path), std::ios::binary);
        old << std::string(500, 'x');
    }
    const FileWriteResult r = CsvFiles::WriteTerminalLogCsv(path, {{"@RRID", "@RRID 7"}});
    ASSERT_TRUE(r.Ok()) << r.error;
    EXPECT_EQ(ReadAll(FromUtf8(path)), "\xCE\xF2\xEF\xF0\xE0\xE2\xEB\xE5\xED\xEE;\xCF\xF0\xE8\xED\xFF\xF2\xEE\r\n@RRID;@RRID 7\r\n");
    EXPECT_FALSE(fs::exists(FromUtf8(path + kPartialSuffix)));
}

TEST(CsvWrite, AFileThatCannotBeCreatedIsReportedWithTheReason)
{
    TempFolder folder;
    const std::string path = folder.Utf8("no such folder/journal.csv");
    const FileWriteResult r = CsvFiles::WriteJournalCsv(path, kTwoEntries, CsvFiles::JournalOrder::NewestFirst);
    EXPECT_EQ(r.code, FileWriteResult::kCannotCreate);
    EXPECT_FALSE(r.error.empty());
}

// Opens the file as the program does, then hands out a stream that refuses
// every byte: what a full disk or a pulled stick does after the creation.
std::FILE* CreatedButNotWritable(const std::string& utf8Path)
{
    std::FILE* created = OpenMeasurementFileExclusive(utf8Path);
    if (created == nullptr)
        return nullptr;
    std::fclose(created);
    return std::fopen(utf8Path.c_str(), "rb");
}

TEST(CsvWrite, AWriteThatFailsAfterTheFileWasCreatedIsAFailureAndKeepsTheOlderFile)
{
    TempFolder folder;
    struct Case {
        const char* name;
        bool existed;
    };
    for (const Case c : {Case{"new file", false}, Case{"over an older file", true}}) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.Utf8(std::string(c.name) + ".csv");
        if (c.existed) {
            std::ofstream existing(FromUtf8(path), std::ios::binary);
            existing << "old;file\r\n";
        }
        const FileWriteResult r =
            WriteFileBytes(path, CsvFiles::JournalCsv(kTwoEntries, CsvFiles::JournalOrder::NewestFirst),
                           &CreatedButNotWritable);
        EXPECT_EQ(r.code, FileWriteResult::kWriteFailed);
        EXPECT_NE(r.error.find("cannot write"), std::string::npos) << r.error;
        if (c.existed) {
            EXPECT_EQ(ReadAll(FromUtf8(path)), "old;file\r\n");
        }
        EXPECT_FALSE(fs::exists(FromUtf8(path + kPartialSuffix)));
    }
}

TEST(CsvWrite, AFileAnotherWriterHoldsIsNeitherReplacedNorCut)
{
    // The measurement file being logged to, chosen by mistake as the name
    // of a journal: the save is refused and the log goes on in its file.
    TempFolder folder;
    const std::string path = folder.Utf8("измерения.csv");
    std::FILE* logging = OpenMeasurementFileExclusive(path);
    ASSERT_NE(logging, nullptr);
    ASSERT_GE(std::fputs("point 1\r\n", logging), 0);
    ASSERT_EQ(std::fflush(logging), 0);
    const FileWriteResult r = CsvFiles::WriteTerminalLogCsv(path, {{"@RRID", "@RRID 7"}});
    EXPECT_EQ(r.code, FileWriteResult::kCannotCreate);
    EXPECT_FALSE(r.error.empty());
    std::fputs("point 2\r\n", logging);
    std::fclose(logging);
    EXPECT_EQ(ReadAll(FromUtf8(path)), "point 1\r\npoint 2\r\n");
    EXPECT_FALSE(fs::exists(FromUtf8(path + kPartialSuffix)));
}

#ifndef _WIN32
TEST(CsvWrite, AFileTheUserMayNotWriteIsNotReplaced)
{
    // The folder takes new files, the file itself is read-only: the save
    // is refused as a save straight into the file would be. Root ignores
    // the bits, so a root test runs the save as the user "nobody".
    TempFolder folder;
    const std::string path = folder.Utf8("protected.csv");
    {
        std::ofstream existing(FromUtf8(path), std::ios::binary);
        existing << "kept\r\n";
    }
    fs::permissions(folder.Path(), fs::perms::all);
    fs::permissions(FromUtf8(path), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::seteuid(65534), 0);
    }
    const FileWriteResult r = CsvFiles::WriteTerminalLogCsv(path, {{"@RRID", "@RRID 7"}});
    if (root) {
        ASSERT_EQ(::seteuid(0), 0);
    }
    EXPECT_EQ(r.code, FileWriteResult::kCannotCreate);
    EXPECT_NE(r.error.find(std::strerror(EACCES)), std::string::npos) << r.error;
    EXPECT_EQ(ReadAll(FromUtf8(path)), "kept\r\n");
    EXPECT_FALSE(fs::exists(FromUtf8(path + kPartialSuffix)));
}
#endif

TEST(CsvWrite, AFullDiskIsAFailure)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    // Opened fine; the bytes go nowhere.
    const FileWriteResult r = CsvFiles::WriteTerminalLogCsv("/dev/full", {{"@RRID", "@RRID 7"}});
    EXPECT_EQ(r.code, FileWriteResult::kWriteFailed);
    EXPECT_NE(r.error.find("cannot write"), std::string::npos) << r.error;
}

} // namespace
