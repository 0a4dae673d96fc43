#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

// What the program's own files that stay open while the line works (the
// measurement file and the exchange log) need from the operating system.
// The files are opened through UTF-8 paths, so that a folder with a Cyrillic
// name works on Windows as well; other programs may read them while the
// program writes, but not write to them.

// Creates or truncates the file for binary writing, denying other writers;
// null when that is not possible.
std::FILE* OpenMeasurementFileExclusive(const std::string& utf8Path);

// The current local time; false when the clock cannot be read.
bool CurrentLocalTime(std::tm& out);

// Saving a whole file over an older one so that a failed save leaves the old
// one as it was: the bytes go to a file beside it, which then takes its place.

// True when `utf8Path` names an existing ordinary file: not a folder, a
// device, or a link (a link or a device is written through, as it is).
bool IsOrdinaryFile(const std::string& utf8Path);
// Puts what was written to the disk itself before the file is closed; false
// when the disk did not take it.
bool SyncFileToDisk(std::FILE* file);
// Makes the file at `fromUtf8` the one at `toUtf8`, in one step, replacing
// it. Refused (false, `error` an errno value) while another writer holds the
// file at `toUtf8` open as OpenMeasurementFileExclusive does: a measurement
// file being logged to is not swapped away from under its writer.
bool MoveFileOver(const std::string& fromUtf8, const std::string& toUtf8, int& error);
// Deletes the file if it is there; nothing is reported.
void RemoveFileQuietly(const std::string& utf8Path);

// The same operations as one replaceable object: the file layer writes
// through it, and the tests put a disk that fills up in its place.
class FileOs {
public:
    virtual ~FileOs() = default;

    // As OpenMeasurementFileExclusive, with the stream unbuffered: every
    // write goes to the disk at once and reports what the disk took.
    virtual std::FILE* OpenExclusive(const std::string& utf8Path);
    // Writes the bytes; returns how many of them reached the file.
    virtual std::size_t Write(std::FILE* file, const char* data, std::size_t size);
    // Cuts the file back to `length` bytes and goes on writing there; false
    // when the file has no length to cut (a device, a pipe) or the cut failed.
    virtual bool Truncate(std::FILE* file, std::uint64_t length);
    virtual void Close(std::FILE* file);

    // The real operating system.
    static FileOs& System();
};
