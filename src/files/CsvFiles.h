#pragma once

#include <string>
#include <vector>

#include "FileBytesWriter.h"
#include "JournalEntryText.h"
#include "SensorTerminalLogRecord.h"

// The semicolon-separated files of the journal and terminal pages, opened
// directly by spreadsheet users: windows-1251, CR LF after every line, a
// heading line, ";" between fields and no quoting.
namespace CsvFiles {

// The names the save dialogs offer.
inline constexpr const char* kEventJournalFileName = "journal.csv";
inline constexpr const char* kThresholdJournalFileName = "thjournal.csv";
inline constexpr const char* kTerminalLogFileName = "tlog.csv";

// The column headings, as the lists show them (strings 165, 166, 365, 366).
inline constexpr const char* kDateTimeHeading = "Дата/время";
inline constexpr const char* kEventHeading = "Событие";
inline constexpr const char* kSentHeading = "Отправлено";
inline constexpr const char* kReceivedHeading = "Принято";

// The journal's entries come newest first, as the engine copies them; the
// file follows the date order the list shows.
enum class JournalOrder { NewestFirst, OldestFirst };

// The bytes of a journal file: "Дата/время;Событие", then date/time ";"
// event per entry.
std::string JournalCsv(const std::vector<JournalEntryText>& newestFirst, JournalOrder order);
// The bytes of "tlog.csv": "Отправлено;Принято", then one line per exchange
// in log order. The log holds the device's own bytes, which are written
// as they are.
std::string TerminalLogCsv(const std::vector<SensorTerminalLogRecord>& records);

FileWriteResult WriteJournalCsv(const std::string& utf8Path, const std::vector<JournalEntryText>& newestFirst,
                                JournalOrder order);
FileWriteResult WriteTerminalLogCsv(const std::string& utf8Path, const std::vector<SensorTerminalLogRecord>& records);

} // namespace CsvFiles
