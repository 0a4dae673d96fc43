#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// Writing one whole file the engineer asked for (a journal, the terminal
// log), through the engine's file seam: Cyrillic paths on Windows, no second
// writer at the same time, an older file not lost to a failed save. Every
// step is checked: a file that was created but could not be filled (a full
// disk, a stick pulled out) is a failure, never a silent success with a
// short file.

struct FileWriteResult {
    enum Code {
        kOk = 0,
        kCannotCreate = 1, // the file could not be opened for writing
        kWriteFailed = 2,  // opened, but the bytes did not all reach it
    };
    Code code = kOk;
    // What the system said, for a command line or a log; empty on success.
    std::string error;

    bool Ok() const { return code == kOk; }
};

// How the file is opened: the engine's seam by default; tests put in a
// stream that refuses writes.
using FileOpener = std::FILE* (*)(const std::string& utf8Path);

// Where the bytes wait while they replace an existing file: beside it, under
// its name with this ending; gone once the save ended, well or not.
inline constexpr const char* kPartialSuffix = ".part";

// Writes `bytes` exactly into the file at `utf8Path`, creating it or
// replacing the one there. A failed save leaves an existing ordinary file as
// it was (the opener is then given the partial file's path first).
FileWriteResult WriteFileBytes(const std::string& utf8Path, std::string_view bytes, FileOpener open = nullptr);
