#pragma once

#include "ParameterListCtrl.h"
#include "SensorParameters.h"

// The sensor page's parameter list: the module's identification and its
// measurements, seventeen rows, every value the text the sensor sent.
class SensorListCtrl : public ParameterListCtrl {
    Q_OBJECT
public:
    enum Row : int {
        kRowSerialNumber,
        kRowManufactureDate,
        kRowCalibrationDate,
        kRowAnalyteCode,
        kRowUnits,
        kRowUpperLimit,
        kRowLowerLimit,
        kRowManufacturer,
        kRowSensorType,
        kRowSoftwareVersion,
        kRowV1S1,
        kRowC1,
        kRowV2S2,
        kRowC2,
        kRowConcentration,
        kRowAdc,
        kRowSensorTemperature,
        kRowCount
    };
    // Rows 0 … kEditableRows - 1 have editors.
    static constexpr int kEditableRows = kRowManufacturer + 1;

    explicit SensorListCtrl(QWidget* parent = nullptr);

    // The list by the line worker's state and a fresh copy of the record.
    void Refresh(int lineState, const SensorParameters& sensor);

    const SensorParameters& Shown() const { return shown_; }
    const SensorParameters& Edited() const { return edited_; }

    bool IsModifiedRow(int row) const override;

    // The record's field behind an editable row; null for other rows.
    static TextSlot SensorParameters::*EditableField(int row);

protected:
    void OnCellCommitted(int row, std::uint32_t itemData) override;
    void ResetCopies() override;

private:
    void Fill();
    static bool AnyShownValueValid(const SensorParameters& sensor);

    SensorParameters shown_;
    SensorParameters edited_;
};
