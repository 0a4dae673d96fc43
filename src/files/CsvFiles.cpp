#include "CsvFiles.h"

#include "Cp1251.h"

namespace CsvFiles {

namespace {

constexpr const char* kLineEnd = "\r\n";

void AppendLine(std::string& out, const std::string& first, const std::string& second)
{
    out += first;
    out += ';';
    out += second;
    out += kLineEnd;
}

} // namespace

std::string JournalCsv(const std::vector<JournalEntryText>& newestFirst, JournalOrder order)
{
    std::string out;
    AppendLine(out, Cp1251::FromUtf8(kDateTimeHeading), Cp1251::FromUtf8(kEventHeading));
    auto line = [&out](const JournalEntryText& e) {
        AppendLine(out, Cp1251::FromUtf8(e.dateTime), Cp1251::FromUtf8(e.event));
    };
    if (order == JournalOrder::OldestFirst) {
        for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it)
            line(*it);
    } else {
        for (const JournalEntryText& e : newestFirst)
            line(e);
    }
    return out;
}

std::string TerminalLogCsv(const std::vector<SensorTerminalLogRecord>& records)
{
    std::string out;
    AppendLine(out, Cp1251::FromUtf8(kSentHeading), Cp1251::FromUtf8(kReceivedHeading));
    for (const SensorTerminalLogRecord& r : records)
        AppendLine(out, r.command, r.answer);
    return out;
}

FileWriteResult WriteJournalCsv(const std::string& utf8Path, const std::vector<JournalEntryText>& newestFirst,
                                JournalOrder order)
{
    return WriteFileBytes(utf8Path, JournalCsv(newestFirst, order));
}

FileWriteResult WriteTerminalLogCsv(const std::string& utf8Path, const std::vector<SensorTerminalLogRecord>& records)
{
    return WriteFileBytes(utf8Path, TerminalLogCsv(records));
}

} // namespace CsvFiles
