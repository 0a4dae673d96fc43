#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ModbusJournalRecord.h"

// One journal entry as the pages list it and the CSV files hold it. Texts
// are UTF-8; the files convert them to the code page.
struct JournalEntryText {
    std::string dateTime;
    std::string event;

    bool operator==(const JournalEntryText&) const = default;
};

// Turns the device's 16-byte journal records into text: the event by its
// type and value, the time as UTC. One decoder for both journals, the
// journal pages and the command line alike.
namespace JournalEntryDecoder {

// The string numbers of the event texts, for the one table that holds them.
inline constexpr int kFirstEventTextId = 220;
inline constexpr int kLastEventTextId = 241;
// What an entry of a type the program does not know shows.
inline constexpr const char* kUnknownEvent = "?";

// The event text of string `id` (220 to 241) with its "%f"/"%u" still in
// place; empty for any other number.
const char* EventTemplate(int id);

// "%Y.%m.%d %H:%M:%S" of the time as UTC, so that text order equals time
// order. Independent of the local time zone and of the platform's time_t.
std::string DateTimeText(std::uint32_t secondsSince1970);

// The event text: the type's string with the value put in ("%f" with six
// decimals and a decimal point whatever the locale, "%u" as unsigned), or
// "?" for an unknown type.
std::string EventText(const ModbusJournalRecord& record);

JournalEntryText Decode(const ModbusJournalRecord& record);
// The entries in the order given (the engine copies newest first).
std::vector<JournalEntryText> Decode(const std::vector<ModbusJournalRecord>& records);

} // namespace JournalEntryDecoder
