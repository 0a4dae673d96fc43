#pragma once

#include <QString>

#include "DeviceParameters.h"
#include "ParameterListCtrl.h"
#include "SensorParameters.h"

// The device page's parameter list: the sensor record's Modbus identifier
// and the detector's own values, fourteen rows.
class ModbusListCtrl : public ParameterListCtrl {
    Q_OBJECT
public:
    enum Row : int {
        kRowModbusId,
        kRowSoftwareName,
        kRowSoftwareNumber,
        kRowSoftwareDigest,
        kRowThreshold1,
        kRowThreshold2,
        kRowO2Flag,
        kRowSoundMode,
        kRowEcoMode,
        kRowAnalyteCode,
        kRowUnits,
        kRowCalibrationDate,
        kRowClock,
        kRowConcentration,
        kRowCount
    };

    // A committed identifier outside 1 … 247 becomes the highest slave
    // address Modbus allows; a threshold of 0 or below becomes a value no
    // gas reaches.
    static constexpr unsigned kModbusIdFallback = 247;
    static constexpr float kThreshold1Fallback = 9998.0f;
    static constexpr float kThreshold2Fallback = 9999.0f;

    explicit ModbusListCtrl(QWidget* parent = nullptr);

    // The list by the line worker's state and fresh copies of both records.
    void Refresh(int lineState, const SensorParameters& sensor, const DeviceParameters& device);

    const SensorParameters& ShownSensor() const { return shownSensor_; }
    const DeviceParameters& ShownDevice() const { return shownDevice_; }
    const SensorParameters& EditedSensor() const { return editedSensor_; }
    const DeviceParameters& EditedDevice() const { return editedDevice_; }

    bool IsModifiedRow(int row) const override;

    // The value formats of the rows.
    static QString MagnitudeText(float value);
    static QString ClockText(std::uint32_t secondsSince1970);
    static QString DateText(const DateSlot& date);
    // The software identification "name,number,identifier" in its three
    // parts; false (parts empty) when it does not split.
    static bool SplitSoftwareId(const QString& text, QString parts[3]);

protected:
    bool AcceptsValue(int row, const QString& text) const override;
    void OnCellCommitted(int row, std::uint32_t itemData) override;
    void ResetCopies() override;

private:
    void Fill();
    static bool AnyDeviceValueValid(const DeviceParameters& device);

    SensorParameters shownSensor_;
    DeviceParameters shownDevice_;
    SensorParameters editedSensor_;
    DeviceParameters editedDevice_;
};
