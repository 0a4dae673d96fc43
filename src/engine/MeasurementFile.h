#pragma once

#include <cstdio>
#include <ctime>
#include <string>

#include "SensorCalibrationLoopMeasurementsPoint.h"

// The file to which the calibration polling loop writes its points, for the
// user to open in a spreadsheet: windows-1251, CR LF, ";" between columns and
// a decimal comma, the same bytes whatever the platform and the locale. Each
// line is flushed as soon as it is written, so a crash or a pulled cable
// loses at most the line being written.
class MeasurementFile {
public:
    enum class Result {
        Ok,
        NotOpen,     // nothing written: the file is not open
        OpenFailed,  // the path cannot be created, or another writer holds it
        WriteFailed, // the disk refused the line (full, removed, …)
    };

    MeasurementFile() = default;
    MeasurementFile(const MeasurementFile&) = delete;
    MeasurementFile& operator=(const MeasurementFile&) = delete;
    ~MeasurementFile();

    // Creates or truncates the file at the UTF-8 path; other writers are
    // kept out while it is open. An open file is closed first.
    Result Open(const std::string& utf8Path);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    // The heading line, written once right after Open.
    Result WriteMeasurementHeader();
    // One point, stamped with the current local time.
    Result WriteMeasurementLine(const SensorCalibrationLoopMeasurementsPoint& point);
    Result WriteMeasurementLine(const SensorCalibrationLoopMeasurementsPoint& point, const std::tm& localTime);

    // The exact bytes of the heading line and of a point's line, CR LF
    // included.
    static std::string HeaderBytes();
    static std::string LineBytes(const SensorCalibrationLoopMeasurementsPoint& point, const std::tm& localTime);

private:
    Result WriteBytes(const std::string& bytes);

    std::FILE* file_ = nullptr;
};
