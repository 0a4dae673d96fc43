#include "ModbusListCtrl.h"

#include <QDateTime>

#include <cmath>
#include <cstring>

#include "CGridColumnTraitCombo.h"
#include "CGridColumnTraitEditFloat.h"
#include "SensorModbusInterface.h"
#include "StringTable.h"

namespace {

// Labels of the rows, in row order.
constexpr int kLabels[ModbusListCtrl::kRowCount] = {178, 361, 362, 363, 180, 181, 182, 183, 259, 171, 173, 170, 179, 194};

constexpr int kNo = 185;
constexpr int kYes = 186;
constexpr int kSoundTexts[] = {187, 188, 189, 190}; // off, threshold 1, threshold 2, both
constexpr int kEcoTexts[] = {260, 261, 262};         // off, level 1, level 2
constexpr int kStatusNotRead = 251;

template <std::size_t N>
std::unique_ptr<CGridColumnTrait> ChoiceEditor(const int (&texts)[N])
{
    auto trait = std::make_unique<CGridColumnTraitCombo>();
    for (std::size_t i = 0; i < N; ++i)
        trait->AddItem(std::uint32_t(i), StringTable::Get(texts[i]));
    return trait;
}

std::uint32_t FloatBits(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

} // namespace

ModbusListCtrl::ModbusListCtrl(QWidget* parent) : ParameterListCtrl(parent)
{
    setObjectName(QStringLiteral("ModbusListCtrl"));
    SetRowEditor(kRowModbusId, TextEditor(true, 3));
    SetRowEditor(kRowSoftwareName, TextEditor(false, 8));
    SetRowEditor(kRowSoftwareNumber, TextEditor(true, 8));
    SetRowEditor(kRowSoftwareDigest, TextEditor(true, 8));
    SetRowEditor(kRowThreshold1, std::make_unique<CGridColumnTraitEditFloat>());
    SetRowEditor(kRowThreshold2, std::make_unique<CGridColumnTraitEditFloat>());
    SetRowEditor(kRowO2Flag, ChoiceEditor({kNo, kYes}));
    SetRowEditor(kRowSoundMode, ChoiceEditor(kSoundTexts));
    SetRowEditor(kRowEcoMode, ChoiceEditor(kEcoTexts));
    SetStatusText(StringTable::Get(kStatusNotRead));
}

QString ModbusListCtrl::MagnitudeText(float value)
{
    // The blanks keep the digits of the three magnitudes in one column.
    if (value < 10.0f)
        return QString::asprintf("%.02f ", double(value));
    if (value < 100.0f)
        return QString::asprintf("%.01f  ", double(value));
    return QString::asprintf("%.0f ", double(value));
}

QString ModbusListCtrl::ClockText(std::uint32_t secondsSince1970)
{
    // The detector keeps UTC; shown as such, whatever the desktop's zone.
    const QDateTime t = QDateTime::fromSecsSinceEpoch(qint64(secondsSince1970), Qt::UTC);
    return t.toString(QStringLiteral("dd.MM.yy HH:mm:ss"));
}

QString ModbusListCtrl::DateText(const DateSlot& date)
{
    return QString::asprintf("%02u.%02u.%u", unsigned(date.day), unsigned(date.month), unsigned(date.year));
}

bool ModbusListCtrl::SplitSoftwareId(const QString& text, QString parts[3])
{
    for (int i = 0; i < 3; ++i)
        parts[i].clear();
    const qsizetype first = text.indexOf(QLatin1Char(','));
    const QString name = (first < 0 ? text : text.left(first)).trimmed();
    const QString rest = first < 0 ? QString() : text.mid(first + 1);
    const qsizetype second = rest.indexOf(QLatin1Char(','));
    const QString number = (second < 0 ? rest : rest.left(second)).trimmed();
    const QString digest = second < 0 ? QString() : rest.mid(second + 1).trimmed();
    if (text.isEmpty() || name.isEmpty() || rest.isEmpty() || number.isEmpty())
        return false;
    parts[0] = name;
    parts[1] = number;
    parts[2] = digest;
    return true;
}

void ModbusListCtrl::ResetCopies()
{
    shownSensor_.Reset();
    shownDevice_.Reset();
    editedSensor_.Reset();
    editedDevice_.Reset();
}

bool ModbusListCtrl::AnyDeviceValueValid(const DeviceParameters& d)
{
    return d.deviceClock.valid || d.deviceText8.valid || d.deviceConcentration.valid || d.thresholdsValid ||
           d.ecoModeValid || d.journalIndices.valid || d.deviceAnalyteCode.valid || d.deviceUnits.valid ||
           d.deviceCalibrationDate.valid || d.softwareIdentification.valid;
}

void ModbusListCtrl::Refresh(int lineState, const SensorParameters& sensor, const DeviceParameters& device)
{
    auto replaceBoth = [&] {
        shownSensor_ = sensor;
        shownDevice_ = device;
        editedSensor_ = sensor;
        editedDevice_ = device;
        Fill();
    };
    if (ShowLineFailure(lineState))
        return;
    switch (lineState) {
    case SensorModbusInterface::kClosed:
    case SensorModbusInterface::kReady:
        if (!sensor.modbusId.valid && !AnyDeviceValueValid(device)) {
            ShowNothing(kStatusNotRead);
            return;
        }
        [[fallthrough]];
    case SensorModbusInterface::kTaskReadDevice:
        SetStatusText(StringTable::Get(kStatusReading));
        replaceBoth();
        return;
    case SensorModbusInterface::kTaskDevicePolling:
        replaceBoth();
        return;
    case 13:
        // Writing the device: what the device now holds is shown, the
        // engineer's edits stay.
        shownSensor_ = sensor;
        shownDevice_ = device;
        Fill();
        return;
    default:
        return;
    }
}

void ModbusListCtrl::Fill()
{
    const SensorParameters& s = shownSensor_;
    const DeviceParameters& d = shownDevice_;
    QString v[kRowCount];
    if (s.modbusId.valid)
        v[kRowModbusId] = QString::number(s.modbusId.value);
    if (d.softwareIdentification.valid) {
        QString parts[3];
        if (SplitSoftwareId(FromDevice(d.softwareIdentification.text), parts)) {
            v[kRowSoftwareName] = parts[0];
            v[kRowSoftwareNumber] = parts[1];
            v[kRowSoftwareDigest] = parts[2];
        }
    }
    if (d.thresholdsValid) {
        v[kRowThreshold1] = MagnitudeText(d.threshold1);
        v[kRowThreshold2] = MagnitudeText(d.threshold2);
        v[kRowO2Flag] = StringTable::Get(d.o2Flag == 0 ? kNo : kYes);
        v[kRowSoundMode] = StringTable::Get(kSoundTexts[d.soundMode < 3 ? d.soundMode : 3]);
    }
    if (d.ecoModeValid && d.ecoMode < 3)
        v[kRowEcoMode] = StringTable::Get(kEcoTexts[d.ecoMode]);
    if (d.deviceAnalyteCode.valid)
        v[kRowAnalyteCode] = FromDevice(d.deviceAnalyteCode.text);
    if (d.deviceUnits.valid)
        v[kRowUnits] = FromDevice(d.deviceUnits.text);
    if (d.deviceCalibrationDate.valid)
        v[kRowCalibrationDate] = DateText(d.deviceCalibrationDate);
    if (d.deviceClock.valid)
        v[kRowClock] = ClockText(d.deviceClock.value);
    if (d.deviceConcentration.valid)
        v[kRowConcentration] = QString::asprintf("%f", double(d.deviceConcentration.value));
    FillValues(kLabels, v, kRowCount);
}

bool ModbusListCtrl::AcceptsValue(int row, const QString& text) const
{
    if (!ParameterListCtrl::AcceptsValue(row, text))
        return false;
    const QString t = text.trimmed();
    switch (row) {
    case kRowModbusId:
        // An emptied cell is no identifier; 0 and 300 are, and get the
        // fallback.
        return !t.isEmpty();
    case kRowThreshold1:
    case kRowThreshold2: {
        // The editor filters typed characters, not pasted ones: "nan" and
        // "inf" parse, yet are no threshold.
        bool ok = false;
        const float value = t.toFloat(&ok);
        return ok && std::isfinite(value);
    }
    case kRowSoftwareName:
        // The comma separates the parts: one inside the name would shift
        // the number and the identifier.
        return !t.contains(QLatin1Char(','));
    default:
        return true;
    }
}

void ModbusListCtrl::OnCellCommitted(int row, std::uint32_t itemData)
{
    switch (row) {
    case kRowModbusId: {
        bool ok = false;
        const unsigned id = ValueText(row).toUInt(&ok);
        unsigned value = id;
        if (!ok || id < 1 || id > kModbusIdFallback) {
            value = kModbusIdFallback;
            SetCellText(row, kValueColumn, QString::number(value));
        }
        editedSensor_.modbusId.value = value;
        editedSensor_.modbusId.valid = 1;
        return;
    }
    case kRowSoftwareName:
    case kRowSoftwareNumber:
    case kRowSoftwareDigest: {
        const QString joined = ValueText(kRowSoftwareName) + QLatin1Char(',') + ValueText(kRowSoftwareNumber) +
                               QLatin1Char(',') + ValueText(kRowSoftwareDigest);
        editedDevice_.softwareIdentification.Store(ToDevice(joined));
        return;
    }
    case kRowThreshold1:
    case kRowThreshold2: {
        float value = ValueText(row).toFloat();
        if (value <= 0.0f) {
            value = row == kRowThreshold1 ? kThreshold1Fallback : kThreshold2Fallback;
            SetCellText(row, kValueColumn, QString::asprintf("%f", double(value)));
        }
        (row == kRowThreshold1 ? editedDevice_.threshold1 : editedDevice_.threshold2) = value;
        editedDevice_.thresholdsValid = 1;
        return;
    }
    case kRowO2Flag:
        editedDevice_.o2Flag = itemData != 0 ? 1 : 0;
        editedDevice_.thresholdsValid = 1;
        return;
    case kRowSoundMode:
        editedDevice_.soundMode = std::uint8_t(itemData <= 3 ? itemData : 3);
        editedDevice_.thresholdsValid = 1;
        return;
    case kRowEcoMode:
        editedDevice_.ecoMode = std::uint8_t(itemData <= 2 ? itemData : 0);
        editedDevice_.ecoModeValid = 1;
        return;
    default:
        return;
    }
}

bool ModbusListCtrl::IsModifiedRow(int row) const
{
    const DeviceParameters& sd = shownDevice_;
    const DeviceParameters& ed = editedDevice_;
    const bool group = sd.thresholdsValid && ed.thresholdsValid;
    switch (row) {
    case kRowModbusId:
        return shownSensor_.modbusId.valid && editedSensor_.modbusId.valid &&
               shownSensor_.modbusId.value != editedSensor_.modbusId.value;
    case kRowSoftwareName:
    case kRowSoftwareNumber:
    case kRowSoftwareDigest: {
        if (!sd.softwareIdentification.valid || !ed.softwareIdentification.valid)
            return false;
        QString shown[3];
        QString edited[3];
        if (!SplitSoftwareId(FromDevice(sd.softwareIdentification.text), shown) ||
            !SplitSoftwareId(FromDevice(ed.softwareIdentification.text), edited))
            return false;
        const int part = row - kRowSoftwareName;
        return shown[part] != edited[part];
    }
    case kRowThreshold1:
        return group && FloatBits(sd.threshold1) != FloatBits(ed.threshold1);
    case kRowThreshold2:
        return group && FloatBits(sd.threshold2) != FloatBits(ed.threshold2);
    case kRowO2Flag:
        return group && sd.o2Flag != ed.o2Flag;
    case kRowSoundMode:
        return group && sd.soundMode != ed.soundMode;
    case kRowEcoMode:
        return sd.ecoModeValid && ed.ecoModeValid && sd.ecoMode != ed.ecoMode;
    default:
        return false;
    }
}
