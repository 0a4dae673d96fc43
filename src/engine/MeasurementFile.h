#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

#include "FileOs.h"
#include "SensorCalibrationLoopMeasurementsPoint.h"

// The file to which the calibration polling loop writes its points, for the
// user to open in a spreadsheet: windows-1251, CR LF, ";" between columns and
// a decimal comma, the same bytes whatever the platform and the locale. Each
// line goes to the disk as soon as it is written, so a crash or a pulled
// cable loses at most the line being written; and a line is in the file whole
// or not at all: when the disk takes only part of it, the file is cut back to
// the end of the last whole line, so the next line does not glue onto a torn
// one and the file always parses.
class MeasurementFile {
public:
    enum class Result {
        Ok,
        NotOpen,     // nothing written: the file is not open
        OpenFailed,  // the path cannot be created, or another writer holds it
        WriteFailed, // the disk refused the line (full, removed, …)
    };

    // The file is written through `os` (the real operating system unless a
    // test hands in another).
    explicit MeasurementFile(FileOs& os = FileOs::System()) : os_(&os) {}
    MeasurementFile(const MeasurementFile&) = delete;
    MeasurementFile& operator=(const MeasurementFile&) = delete;
    ~MeasurementFile();

    // Creates or truncates the file at the UTF-8 path; other writers are
    // kept out while it is open. An open file is closed first.
    Result Open(const std::string& utf8Path);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }
    // The path given to the last Open, as given.
    const std::string& Path() const { return path_; }
    // Bytes of whole lines in the file since it was opened.
    std::uint64_t Length() const { return length_; }
    void SetFileOs(FileOs& os) { os_ = &os; }

    // The heading line, written once right after Open.
    Result WriteMeasurementHeader();
    // One point, stamped with the current local time.
    Result WriteMeasurementLine(const SensorCalibrationLoopMeasurementsPoint& point);
    Result WriteMeasurementLine(const SensorCalibrationLoopMeasurementsPoint& point, const std::tm& localTime);

    // The exact bytes of the heading line and of a point's line, CR LF
    // included.
    static std::string HeaderBytes();
    static std::string LineBytes(const SensorCalibrationLoopMeasurementsPoint& point, const std::tm& localTime);

    // The pieces a line is made of, for other views of the same points (the
    // command line prints them): UTF-8 headings, and the texts the file puts
    // in its columns.
    // Whether the file has a column for the slot (18 and 19 it leaves out).
    static bool SlotInFile(std::size_t slot);
    static std::string TimeHeading();
    // Empty for a slot the file leaves out.
    static std::string SlotHeading(std::size_t slot);
    static std::string TimeText(const std::tm& localTime);
    // The value with the slot's decimals and a decimal comma; empty when the
    // slot holds no value or the file leaves it out.
    static std::string ValueText(const SensorCalibrationLoopMeasurementsPoint& point, std::size_t slot);

private:
    Result WriteBytes(const std::string& bytes);

    FileOs* os_;
    std::FILE* file_ = nullptr;
    std::string path_;
    std::uint64_t length_ = 0;
};
