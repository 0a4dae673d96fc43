#include "SensorListCtrl.h"

#include "CGridColumnTraitEditFloat.h"
#include "SensorModbusInterface.h"
#include "StringTable.h"

namespace {

// Labels of the rows, in row order.
constexpr int kLabels[SensorListCtrl::kRowCount] = {168, 169, 170, 171, 173, 174, 175, 176, 193,
                                                    205, 196, 201, 197, 202, 194, 195, 264};

constexpr int kErrorText = 314; // "ошибка"
constexpr int kStatusNotRead = 253;

} // namespace

SensorListCtrl::SensorListCtrl(QWidget* parent) : ParameterListCtrl(parent)
{
    setObjectName(QStringLiteral("SensorListCtrl"));
    SetRowEditor(kRowSerialNumber, TextEditor(true, 8));
    SetRowEditor(kRowManufactureDate, TextEditor(false, 8));
    SetRowEditor(kRowCalibrationDate, TextEditor(false, 8));
    SetRowEditor(kRowAnalyteCode, TextEditor(false, 16));
    SetRowEditor(kRowUnits, TextEditor(false, 8));
    SetRowEditor(kRowUpperLimit, std::make_unique<CGridColumnTraitEditFloat>());
    SetRowEditor(kRowLowerLimit, std::make_unique<CGridColumnTraitEditFloat>());
    SetRowEditor(kRowManufacturer, TextEditor(false, 8));
    SetStatusText(StringTable::Get(kStatusNotRead));
}

TextSlot SensorParameters::*SensorListCtrl::EditableField(int row)
{
    switch (row) {
    case kRowSerialNumber: return &SensorParameters::serialNumber;
    case kRowManufactureDate: return &SensorParameters::manufactureDate;
    case kRowCalibrationDate: return &SensorParameters::calibrationDate;
    case kRowAnalyteCode: return &SensorParameters::analyteCode;
    case kRowUnits: return &SensorParameters::units;
    case kRowUpperLimit: return &SensorParameters::upperLimit;
    case kRowLowerLimit: return &SensorParameters::lowerLimit;
    case kRowManufacturer: return &SensorParameters::manufacturer;
    default: return nullptr;
    }
}

void SensorListCtrl::ResetCopies()
{
    shown_.Reset();
    edited_.Reset();
}

bool SensorListCtrl::AnyShownValueValid(const SensorParameters& s)
{
    return s.concentration.valid || s.adc.valid || s.v1.valid || s.v2.valid || s.c1.valid || s.c2.valid ||
           s.manufacturer.valid || s.units.valid || s.manufactureDate.valid || s.calibrationDate.valid ||
           s.analyteCode.valid || s.sensorType.valid || s.softwareVersion.valid || s.serialNumber.valid ||
           s.lowerLimit.valid || s.upperLimit.valid;
}

void SensorListCtrl::Refresh(int lineState, const SensorParameters& sensor)
{
    if (ShowLineFailure(lineState))
        return;
    switch (lineState) {
    case SensorModbusInterface::kClosed:
    case SensorModbusInterface::kReady:
        if (!AnyShownValueValid(sensor)) {
            ShowNothing(kStatusNotRead);
            return;
        }
        [[fallthrough]];
    case SensorModbusInterface::kTaskReadSensor:
        SetStatusText(StringTable::Get(kStatusReading));
        shown_ = sensor;
        edited_ = sensor;
        Fill();
        return;
    case SensorModbusInterface::kTaskSensorPolling:
        shown_ = sensor;
        edited_ = sensor;
        Fill();
        return;
    case 16:
        // Writing the sensor: what it now holds is shown, the engineer's
        // edits stay.
        shown_ = sensor;
        Fill();
        return;
    default:
        return;
    }
}

void SensorListCtrl::Fill()
{
    const SensorParameters& s = shown_;
    auto text = [](const TextSlot& slot) { return slot.valid ? FromDevice(slot.text) : QString(); };
    QString v[kRowCount];
    for (int row = 0; row < kEditableRows; ++row)
        v[row] = text(s.*EditableField(row));
    v[kRowSensorType] = text(s.sensorType);
    v[kRowSoftwareVersion] = text(s.softwareVersion);
    // Sensors with a resistive element report S1/S2 in place of V1/V2.
    v[kRowV1S1] = s.v1.valid ? text(s.v1) : text(s.s1);
    v[kRowC1] = text(s.c1);
    v[kRowV2S2] = s.v2.valid ? text(s.v2) : text(s.s2);
    v[kRowC2] = text(s.c2);
    if (s.concentration.valid)
        v[kRowConcentration] = FromDevice(s.concentration.values[0]);
    else if (s.concentration.errorValid)
        v[kRowConcentration] = StringTable::Get(kErrorText);
    v[kRowAdc] = text(s.adc);
    if (s.sensorTemperature.valid)
        v[kRowSensorTemperature] = FromDevice(s.sensorTemperature.values[0]);
    FillValues(kLabels, v, kRowCount);
}

void SensorListCtrl::OnCellCommitted(int row, std::uint32_t itemData)
{
    (void)itemData;
    TextSlot SensorParameters::*field = EditableField(row);
    if (field == nullptr)
        return;
    (edited_.*field).Store(ToDevice(ValueText(row)));
}

bool SensorListCtrl::IsModifiedRow(int row) const
{
    TextSlot SensorParameters::*field = EditableField(row);
    if (field == nullptr)
        return false;
    const TextSlot& a = shown_.*field;
    const TextSlot& b = edited_.*field;
    return a.valid && b.valid && a.text != b.text;
}
