// The line worker's parameter operations: one exchange each, its outcome
// stored in one field under the data lock, then the change raised. The data
// lock is never held during an exchange or while notifying.
#include "SensorModbusInterface.h"

#include "SensorKind.h"
#include "TCsLock.h"
#include "TextNumbers.h"

namespace Cmd = SensorCommands;

namespace {
// "@WCLE" sends its value with one decimal.
constexpr const char* kLeFormat = "%.1f";
} // namespace

bool SensorModbusInterface::StopRequested()
{
    if (stopEvent_.IsSet()) {
        state_ = kReady;
        return true;
    }
    return false;
}

int SensorModbusInterface::FailRequired()
{
    // A read a stop cut short did not fail: the task just ends.
    if (StopRequested())
        return 0;
    state_ = kFailed;
    NotifyTaskEvent();
    return 0;
}

std::string SensorModbusInterface::CalibrationPassword()
{
    TCsLock lock(dataLock_);
    return calibrationPassword_;
}

// --- sensor reads -----------------------------------------------------------

int SensorModbusInterface::ReadTextInto(const SensorTextRead& command, TextSlot SensorParameters::*field, bool retry)
{
    if (StopRequested())
        return 0;
    std::string value;
    const bool ok = commands_.ReadText(command, value, retry);
    if (!ok && StopRequested())
        return 0; // the field keeps its value; the stop is no answer
    {
        TCsLock lock(dataLock_);
        if (ok)
            (sensor_.*field).Store(value);
        else
            (sensor_.*field).Clear();
    }
    NotifySensorParametersChanged();
    return 1;
}

template <std::size_t N>
int SensorModbusInterface::ReadReadingInto(const SensorReadingRead& command, ReadingSlot<N> SensorParameters::*field)
{
    if (StopRequested())
        return 0;
    SensorReading reading;
    const bool ok = commands_.ReadReading(command, reading, false);
    if (!ok && StopRequested())
        return 0; // the field keeps its value; the stop is no answer
    {
        TCsLock lock(dataLock_);
        const std::vector<std::string> values(reading.values.begin(), reading.values.begin() + N);
        (sensor_.*field).StoreOutcome(ok, reading.isError, values, reading.errorText);
    }
    NotifySensorParametersChanged();
    return 1;
}

template <std::size_t N>
int SensorModbusInterface::ReadFieldsInto(const SensorFieldRead& command, MultiTextSlot<N> SensorParameters::*field)
{
    if (StopRequested())
        return 0;
    std::vector<std::string> fields;
    const bool ok = commands_.ReadFields(command, fields, false);
    if (!ok && StopRequested())
        return 0; // the field keeps its value; the stop is no answer
    {
        TCsLock lock(dataLock_);
        if (ok)
            (sensor_.*field).Store(fields);
        else
            (sensor_.*field).Clear();
    }
    NotifySensorParametersChanged();
    return 1;
}

int SensorModbusInterface::ReadModbusId(bool required)
{
    if (StopRequested())
        return 0;
    std::uint8_t id = 0;
    const bool ok = commands_.ReadModbusId(id, required);
    if (!ok && StopRequested())
        return 0; // the field keeps its value; the stop is no answer
    if (!ok && required) {
        idKnown_ = 0;
        return FailRequired();
    }
    {
        TCsLock lock(dataLock_);
        if (ok)
            sensor_.modbusId.Store(id);
        else
            sensor_.modbusId.Clear();
    }
    if (ok)
        slaveAddress_ = id;
    idKnown_ = ok ? 1 : 0;
    NotifySensorParametersChanged();
    return 1;
}

int SensorModbusInterface::ReadHartId()
{
    if (StopRequested())
        return 0;
    std::uint8_t address = 0;
    const bool ok = commands_.ReadHartId(address, false);
    if (!ok && StopRequested())
        return 0; // the field keeps its value; the stop is no answer
    {
        TCsLock lock(dataLock_);
        if (ok)
            sensor_.hartId.Store(address);
        else
            sensor_.hartId.Clear();
    }
    hartAddress_ = ok ? address : 0;
    hartAddressKnown_ = ok ? 1 : 0;
    NotifySensorParametersChanged();
    return 1;
}

int SensorModbusInterface::ReadDaa()
{
    if (StopRequested())
        return 0;
    std::uint8_t value = 0;
    const bool ok = commands_.ReadDaa(value, false);
    if (!ok && StopRequested())
        return 0; // the field keeps its value; the stop is no answer
    {
        TCsLock lock(dataLock_);
        if (ok)
            sensor_.daa.Store(value);
        else
            sensor_.daa.Clear();
    }
    NotifySensorParametersChanged();
    return 1;
}

int SensorModbusInterface::ReadSerialNumber() { return ReadTextInto(Cmd::kSerialNumber, &SensorParameters::serialNumber); }
int SensorModbusInterface::ReadManufactureDate()
{
    // The one plain read that gets three tries.
    return ReadTextInto(Cmd::kManufactureDate, &SensorParameters::manufactureDate, true);
}
int SensorModbusInterface::ReadCalibrationDate() { return ReadTextInto(Cmd::kCalibrationDate, &SensorParameters::calibrationDate); }
int SensorModbusInterface::ReadAnalyteCode() { return ReadTextInto(Cmd::kAnalyteCode, &SensorParameters::analyteCode); }
int SensorModbusInterface::ReadUnits() { return ReadTextInto(Cmd::kUnits, &SensorParameters::units); }
int SensorModbusInterface::ReadUpperLimit() { return ReadTextInto(Cmd::kUpperLimit, &SensorParameters::upperLimit); }
int SensorModbusInterface::ReadLowerLimit() { return ReadTextInto(Cmd::kLowerLimit, &SensorParameters::lowerLimit); }
int SensorModbusInterface::ReadManufacturer() { return ReadTextInto(Cmd::kManufacturer, &SensorParameters::manufacturer); }

int SensorModbusInterface::ReadSensorType(bool required)
{
    if (!required)
        return ReadTextInto(Cmd::kSensorType, &SensorParameters::sensorType);
    if (StopRequested())
        return 0;
    std::string value;
    if (!commands_.ReadText(Cmd::kSensorType, value, true))
        return FailRequired();
    {
        TCsLock lock(dataLock_);
        sensor_.sensorType.Store(value);
    }
    NotifySensorParametersChanged();
    return 1;
}

int SensorModbusInterface::ReadSoftwareVersion() { return ReadTextInto(Cmd::kSoftwareVersion, &SensorParameters::softwareVersion); }
int SensorModbusInterface::ReadV1() { return ReadTextInto(Cmd::kV1, &SensorParameters::v1); }
int SensorModbusInterface::ReadV2() { return ReadTextInto(Cmd::kV2, &SensorParameters::v2); }
int SensorModbusInterface::ReadC1() { return ReadTextInto(Cmd::kC1, &SensorParameters::c1); }
int SensorModbusInterface::ReadC2() { return ReadTextInto(Cmd::kC2, &SensorParameters::c2); }
int SensorModbusInterface::ReadS1() { return ReadTextInto(Cmd::kS1, &SensorParameters::s1); }
int SensorModbusInterface::ReadS2() { return ReadTextInto(Cmd::kS2, &SensorParameters::s2); }

int SensorModbusInterface::ReadConcentration(bool errorForm)
{
    if (errorForm)
        return ReadReadingInto(Cmd::kConcentration, &SensorParameters::concentration);
    // The plain form takes only the value; an error answer is a failed read.
    if (StopRequested())
        return 0;
    std::string value;
    const bool ok = commands_.ReadText(Cmd::kConcentrationPlain, value, false);
    if (!ok && StopRequested())
        return 0; // the field keeps its value; the stop is no answer
    {
        TCsLock lock(dataLock_);
        if (ok)
            sensor_.concentration.StoreValue(value);
        else
            sensor_.concentration.Clear();
    }
    NotifySensorParametersChanged();
    return 1;
}

int SensorModbusInterface::ReadAdc() { return ReadTextInto(Cmd::kAdc, &SensorParameters::adc); }
int SensorModbusInterface::ReadSensorTemperature()
{
    return ReadReadingInto(Cmd::kSensorTemperature, &SensorParameters::sensorTemperature);
}

namespace {
constexpr TextSlot SensorParameters::*kSettingFields[12] = {
    &SensorParameters::av, &SensorParameters::rg, &SensorParameters::rl, &SensorParameters::bs,
    &SensorParameters::sb, &SensorParameters::iz, &SensorParameters::rs, &SensorParameters::md,
    &SensorParameters::fs, &SensorParameters::u0, &SensorParameters::kk, &SensorParameters::ul};
} // namespace

int SensorModbusInterface::ReadSetting(std::size_t index)
{
    if (index >= Cmd::kSettingReads.size())
        return 1;
    return ReadTextInto(Cmd::kSettingReads[index], kSettingFields[index]);
}

int SensorModbusInterface::ReadCoefficient(unsigned index)
{
    if (StopRequested())
        return 0;
    if (index >= SensorCommandSet::kCoefficientCount)
        return 1;
    std::string value;
    const bool ok = commands_.ReadCoefficient(index, value, false);
    if (!ok && StopRequested())
        return 0; // the field keeps its value; the stop is no answer
    {
        TCsLock lock(dataLock_);
        if (ok)
            sensor_.coeffK.Store(index, value);
        else
            sensor_.coeffK.Clear(index);
    }
    NotifySensorParametersChanged();
    return 1;
}

int SensorModbusInterface::ReadCoefficients()
{
    for (unsigned i = 0; i < SensorCommandSet::kCoefficientCount; ++i) {
        if (ReadCoefficient(i) == 0)
            return 0;
    }
    return 1;
}

int SensorModbusInterface::ReadHeater() { return ReadTextInto(Cmd::kHeater, &SensorParameters::heater); }
int SensorModbusInterface::ReadBB() { return ReadTextInto(Cmd::kBB, &SensorParameters::bb); }
int SensorModbusInterface::ReadBR() { return ReadTextInto(Cmd::kBR, &SensorParameters::br); }
int SensorModbusInterface::ReadTH() { return ReadReadingInto(Cmd::kTH, &SensorParameters::thReading); }
int SensorModbusInterface::ReadTH2() { return ReadReadingInto(Cmd::kTH2, &SensorParameters::thReading); }
int SensorModbusInterface::ReadRP() { return ReadReadingInto(Cmd::kRP, &SensorParameters::rpReading); }
int SensorModbusInterface::ReadPV() { return ReadFieldsInto(Cmd::kPV, &SensorParameters::pvValues); }
int SensorModbusInterface::ReadRH() { return ReadReadingInto(Cmd::kRH, &SensorParameters::rhReading); }
int SensorModbusInterface::ReadRH2() { return ReadReadingInto(Cmd::kRH2, &SensorParameters::rhReading); }
int SensorModbusInterface::ReadPW() { return ReadTextInto(Cmd::kPW, &SensorParameters::pw); }
int SensorModbusInterface::ReadSH() { return ReadReadingInto(Cmd::kSH, &SensorParameters::shReading); }
int SensorModbusInterface::ReadDW() { return ReadReadingInto(Cmd::kDW, &SensorParameters::dwReading); }
int SensorModbusInterface::ReadTG() { return ReadTextInto(Cmd::kTG, &SensorParameters::tg); }
int SensorModbusInterface::ReadA1() { return ReadTextInto(Cmd::kA1, &SensorParameters::a1); }
int SensorModbusInterface::ReadKT() { return ReadTextInto(Cmd::kKT, &SensorParameters::kt); }
int SensorModbusInterface::ReadT0() { return ReadTextInto(Cmd::kT0, &SensorParameters::t0); }
int SensorModbusInterface::ReadH0() { return ReadTextInto(Cmd::kH0, &SensorParameters::h0); }
int SensorModbusInterface::ReadMG() { return ReadTextInto(Cmd::kMG, &SensorParameters::mg); }
int SensorModbusInterface::ReadMP() { return ReadTextInto(Cmd::kMP, &SensorParameters::mp); }
int SensorModbusInterface::ReadPI() { return ReadFieldsInto(Cmd::kPI, &SensorParameters::piValues); }
int SensorModbusInterface::ReadLP() { return ReadFieldsInto(Cmd::kLP, &SensorParameters::lpValues); }
int SensorModbusInterface::ReadCP() { return ReadFieldsInto(Cmd::kCP, &SensorParameters::cpValues); }
int SensorModbusInterface::ReadLE() { return ReadTextInto(Cmd::kLE, &SensorParameters::le); }

int SensorModbusInterface::ReadR0()
{
    if (StopRequested())
        return 0;
    std::string value;
    const bool ok = commands_.ReadText(Cmd::kR0, value, false);
    if (!ok && StopRequested())
        return 0; // the field keeps its value; the stop is no answer
    {
        TCsLock lock(dataLock_);
        if (ok)
            sensor_.r0Values.Store({value});
        else
            sensor_.r0Values.Clear();
    }
    NotifySensorParametersChanged();
    return 1;
}

int SensorModbusInterface::ReadR0Pair()
{
    if (StopRequested())
        return 0;
    std::vector<std::string> fields;
    const bool ok = commands_.ReadFields(Cmd::kR0Pair, fields, false);
    if (!ok && StopRequested())
        return 0; // the field keeps its value; the stop is no answer
    {
        TCsLock lock(dataLock_);
        if (ok && fields.size() >= 2)
            sensor_.r0Values.Store({fields[0], std::string(), fields[1], std::string()});
        else
            sensor_.r0Values.Clear();
    }
    NotifySensorParametersChanged();
    return 1;
}

int SensorModbusInterface::ReadMultigas()
{
    if (StopRequested())
        return 0;
    std::vector<std::string> items;
    const bool ok = commands_.ReadMultigasList(items, false);
    if (!ok && StopRequested())
        return 0; // the field keeps its value; the stop is no answer
    TCsLock lock(dataLock_);
    if (ok)
        multigas_.Fill(items);
    else
        multigas_.Clear();
    return 1;
}

// --- device reads -----------------------------------------------------------

int SensorModbusInterface::DeviceReadDone()
{
    NotifyDeviceParametersChanged();
    return 1;
}

int SensorModbusInterface::ReadSoftwareId()
{
    if (StopRequested())
        return 0;
    std::string value;
    const bool ok = commands_.ReadText(Cmd::kSoftwareId, value, false);
    if (!ok && StopRequested())
        return 0; // the field keeps its value; the stop is no answer
    {
        TCsLock lock(dataLock_);
        if (ok)
            device_.softwareIdentification.Store(value);
        else
            device_.softwareIdentification.Clear();
    }
    return DeviceReadDone();
}

int SensorModbusInterface::DeviceTextRead(bool (ModbusMaster::*read)(std::uint8_t, std::string&, bool),
                                          TextSlot DeviceParameters::*field)
{
    if (StopRequested())
        return 0;
    std::string text;
    const bool ok = (master_.*read)(slaveAddress_.load(), text, false);
    {
        TCsLock lock(dataLock_);
        if (ok)
            (device_.*field).Store(text);
        else
            (device_.*field).Clear();
    }
    return DeviceReadDone();
}

int SensorModbusInterface::ReadText8()
{
    return DeviceTextRead(&ModbusMaster::ReadText1050, &DeviceParameters::deviceText8);
}

int SensorModbusInterface::ReadDeviceAnalyteCode()
{
    return DeviceTextRead(&ModbusMaster::ReadAnalyteCode, &DeviceParameters::deviceAnalyteCode);
}

int SensorModbusInterface::ReadDeviceUnits()
{
    return DeviceTextRead(&ModbusMaster::ReadUnit, &DeviceParameters::deviceUnits);
}

int SensorModbusInterface::ReadThresholds()
{
    if (StopRequested())
        return 0;
    ModbusThresholds th;
    const bool ok = master_.ReadThresholds(slaveAddress_.load(), th, false);
    if (!ok && StopRequested())
        return 0; // the field keeps its value; the stop is no answer
    {
        TCsLock lock(dataLock_);
        if (ok) {
            device_.threshold1 = static_cast<float>(th.threshold1);
            device_.threshold2 = static_cast<float>(th.threshold2);
            device_.soundMode = th.soundMode;
            device_.o2Flag = th.o2Flag;
            device_.thresholdSpare = th.register2057;
        }
        device_.thresholdsValid = ok ? 1 : 0;
    }
    return DeviceReadDone();
}

int SensorModbusInterface::ReadEcoMode()
{
    if (StopRequested())
        return 0;
    const std::uint8_t* data = nullptr;
    int length = 0;
    const bool ok = master_.Transact(slaveAddress_.load(), 4, 2058, 2, nullptr, data, length, false) ==
                        ModbusMaster::kOk &&
                    length == 4;
    if (!ok && StopRequested())
        return 0; // the field keeps its value; the stop is no answer
    {
        TCsLock lock(dataLock_);
        if (ok) {
            device_.ecoMode = data[0];
            device_.ecoSpare = {data[1], data[2], data[3]};
        }
        device_.ecoModeValid = ok ? 1 : 0;
    }
    return DeviceReadDone();
}

int SensorModbusInterface::ReadJournalIndices(bool required)
{
    if (StopRequested())
        return 0;
    std::array<std::uint8_t, 12> raw{};
    const bool ok = master_.ReadJournalState(slaveAddress_.load(), raw, false);
    if (!ok && StopRequested())
        return 0; // the field keeps its value; the stop is no answer
    if (!ok && required)
        return FailRequired();
    {
        TCsLock lock(dataLock_);
        if (ok) {
            // These six registers come low byte first, unlike every other
            // register of the device.
            std::array<std::uint16_t, 6> indices{};
            for (std::size_t i = 0; i < indices.size(); ++i)
                indices[i] = static_cast<std::uint16_t>(raw[2 * i] | (raw[2 * i + 1] << 8));
            device_.journalIndices.Store(indices);
        } else {
            device_.journalIndices.Invalidate();
        }
    }
    return DeviceReadDone();
}

int SensorModbusInterface::ReadDeviceCalibrationDate()
{
    if (StopRequested())
        return 0;
    std::uint16_t d = 0, m = 0, y = 0;
    const bool ok = master_.ReadCalibrationDate(slaveAddress_.load(), d, m, y, false);
    if (!ok && StopRequested())
        return 0; // the field keeps its value; the stop is no answer
    {
        TCsLock lock(dataLock_);
        if (ok)
            device_.deviceCalibrationDate.Store(d, m, y);
        else
            device_.deviceCalibrationDate.Invalidate();
    }
    return DeviceReadDone();
}

int SensorModbusInterface::ReadDeviceConcentration()
{
    if (StopRequested())
        return 0;
    float value = 0.0f;
    const bool ok = master_.ReadConcentration(slaveAddress_.load(), value, false);
    if (!ok && StopRequested())
        return 0; // the field keeps its value; the stop is no answer
    {
        TCsLock lock(dataLock_);
        if (ok) {
            device_.deviceConcentration.Store(value);
        } else {
            device_.deviceConcentration.value = 0.0f;
            device_.deviceConcentration.Invalidate();
        }
    }
    return DeviceReadDone();
}

int SensorModbusInterface::ReadDeviceClock()
{
    if (StopRequested())
        return 0;
    std::uint32_t seconds = 0;
    const bool ok = master_.ReadClock(slaveAddress_.load(), seconds, false);
    if (!ok && StopRequested())
        return 0; // the field keeps its value; the stop is no answer
    {
        TCsLock lock(dataLock_);
        if (ok) {
            device_.deviceClock.Store(seconds);
        } else {
            device_.deviceClock.value = 0;
            device_.deviceClock.Invalidate();
        }
    }
    return DeviceReadDone();
}

// --- writes -----------------------------------------------------------------

int SensorModbusInterface::WriteTextInto(const SensorTextWrite& command, TextSlot SensorParameters::*field,
                                         const std::string& value)
{
    if (StopRequested())
        return 0;
    std::string password;
    {
        TCsLock lock(dataLock_);
        password = calibrationPassword_;
        (sensor_.*field).Clear();
    }
    std::string held;
    if (commands_.WriteText(command, password, value, held, false)) {
        TCsLock lock(dataLock_);
        (sensor_.*field).Store(held);
    }
    NotifySensorParametersChanged();
    return 1;
}

int SensorModbusInterface::WriteCoefficient(unsigned index, const std::string& value)
{
    if (StopRequested())
        return 0;
    if (index >= SensorCommandSet::kCoefficientCount)
        return 1;
    std::string password;
    {
        TCsLock lock(dataLock_);
        password = calibrationPassword_;
        sensor_.coeffK.Clear(index);
    }
    std::string held;
    if (commands_.WriteCoefficient(index, password, value, held, false)) {
        TCsLock lock(dataLock_);
        sensor_.coeffK.Store(index, held);
    }
    NotifySensorParametersChanged();
    return 1;
}

template <std::size_t N>
int SensorModbusInterface::WriteFieldsInto(const SensorFieldWrite& command, const std::vector<std::string>& values,
                                           MultiTextSlot<N> SensorParameters::*field,
                                           const std::array<int, N>& placement)
{
    if (StopRequested())
        return 0;
    std::string password;
    {
        TCsLock lock(dataLock_);
        password = calibrationPassword_;
        if (field != nullptr)
            (sensor_.*field).Clear();
    }
    std::vector<std::string> fields;
    if (commands_.WriteFields(command, password, values, fields, false) && field != nullptr) {
        std::vector<std::string> texts(N);
        for (std::size_t i = 0; i < N; ++i) {
            const int from = placement[i];
            if (from >= 0 && static_cast<std::size_t>(from) < fields.size())
                texts[i] = fields[static_cast<std::size_t>(from)];
        }
        TCsLock lock(dataLock_);
        (sensor_.*field).Store(texts);
    }
    NotifySensorParametersChanged();
    return 1;
}

void SensorModbusInterface::ClearSensorLogAndNotify()
{
    {
        TCsLock lock(dataLock_);
        sensorLog_.Clear();
    }
    NotifySensorLogChanged(0);
}

int SensorModbusInterface::WriteHeater(bool on)
{
    SensorCommandRequest request;
    request.code = 18;
    request.texts[0] = std::string(1, on ? '1' : '0');
    return WriteParameter(request);
}

void SensorModbusInterface::SwitchHeaterOffAfterStop()
{
    std::string password;
    {
        TCsLock lock(dataLock_);
        password = calibrationPassword_;
        sensor_.heater.Clear();
    }
    std::string held;
    StopShield<ModbusAsciiMaster> shield(master_);
    if (commands_.WriteText(Cmd::kWriteHeater, password, "0", held, false)) {
        TCsLock lock(dataLock_);
        sensor_.heater.Store(held);
    }
    NotifySensorParametersChanged();
}

int SensorModbusInterface::CalibratePoint1(const std::string& text)
{
    return WriteTextInto(Cmd::kCalibrateC1, &SensorParameters::c1, text);
}

int SensorModbusInterface::CalibratePoint2(const std::string& text)
{
    return WriteTextInto(Cmd::kCalibrateC2, &SensorParameters::c2, text);
}

namespace {
constexpr TextSlot SensorParameters::*kWriteFields22[6] = {&SensorParameters::a1, &SensorParameters::kt,
                                                           &SensorParameters::t0, &SensorParameters::h0,
                                                           &SensorParameters::mg, &SensorParameters::mp};
constexpr SensorTextWrite kWrites22[6] = {Cmd::kWriteA1, Cmd::kWriteKT, Cmd::kWriteT0,
                                          Cmd::kWriteH0, Cmd::kWriteMG, Cmd::kWriteMP};
} // namespace

SensorValueProblem SensorModbusInterface::CheckWriteRequest(const SensorCommandRequest& request)
{
    std::size_t texts = 1;
    switch (request.code) {
    case 17: texts = 5; break;
    case 28: texts = 3; break;
    case 32:
    case 34: texts = 4; break;
    case 35: texts = 2; break;
    case 36: {
        double number = 0.0;
        return ParseSensorNumber(request.texts[0], number, kLeFormat);
    }
    default:
        // Codes without a write send nothing.
        if (request.code < 1 || request.code > 37)
            return SensorValueProblem::None;
        break;
    }
    for (std::size_t i = 0; i < texts; ++i) {
        const SensorValueProblem problem = CheckSensorTextValue(request.texts[i]);
        if (problem != SensorValueProblem::None)
            return problem;
    }
    return SensorValueProblem::None;
}

int SensorModbusInterface::WriteParameter(const SensorCommandRequest& request)
{
    const std::string& value = request.texts[0];
    const auto& t = request.texts;
    const int code = request.code;
    if (code >= 5 && code <= 16) {
        const std::size_t i = static_cast<std::size_t>(code - 5);
        return WriteTextInto(Cmd::kSettingWrites[i], kSettingFields[i], value);
    }
    if (code >= 22 && code <= 27) {
        const std::size_t i = static_cast<std::size_t>(code - 22);
        return WriteTextInto(kWrites22[i], kWriteFields22[i], value);
    }
    switch (code) {
    case 1:
        return WriteTextInto(Cmd::kWriteV1, &SensorParameters::v1, value);
    case 2:
        return WriteTextInto(Cmd::kWriteV2, &SensorParameters::v2, value);
    case 3:
        return CalibratePoint1(value);
    case 4:
        return CalibratePoint2(value);
    case 17:
        for (unsigned i = 0; i < SensorCommandSet::kCoefficientCount; ++i) {
            if (WriteCoefficient(i, t[i]) == 0)
                return 0;
        }
        return 1;
    case 18:
    case 21: {
        if (StopRequested())
            return 0;
        // Switching the heater on, or a new heating temperature, starts a
        // new measurement log on the sensor: the old one is gone.
        TextSlot SensorParameters::*field = code == 18 ? &SensorParameters::heater : &SensorParameters::tg;
        std::string password;
        {
            TCsLock lock(dataLock_);
            password = calibrationPassword_;
            (sensor_.*field).Clear();
        }
        std::string held;
        const bool ok =
            commands_.WriteText(code == 18 ? Cmd::kWriteHeater : Cmd::kWriteTG, password, value, held, false);
        if (ok) {
            TCsLock lock(dataLock_);
            (sensor_.*field).Store(held);
        }
        NotifySensorParametersChanged();
        if (ok && (code == 21 || ParseDecimalInt(value) != 0))
            ClearSensorLogAndNotify();
        return 1;
    }
    case 19:
        return WriteTextInto(Cmd::kBalanceBridge, &SensorParameters::bb, value);
    case 20:
        return WriteTextInto(Cmd::kWriteBR, &SensorParameters::br, value);
    case 28:
        return WriteFieldsInto<3>(Cmd::kWritePI, {t[0], t[1], t[2]}, &SensorParameters::piValues, {0, 1, 2});
    case 29:
        return WriteTextInto(Cmd::kWriteS1, &SensorParameters::s1, value);
    case 30:
        return WriteTextInto(Cmd::kWriteS2, &SensorParameters::s2, value);
    case 31:
        // One heater: R(t=20) and the measured R come back as fields 1 and 2.
        return WriteFieldsInto<4>(Cmd::kCalibrateR0Pair, {t[0]}, &SensorParameters::r0Values, {1, 0, -1, -1});
    case 32:
        return WriteFieldsInto<4>(Cmd::kWriteLP, {t[0], t[1], t[2], t[3]}, &SensorParameters::lpValues, {0, 1, 2, 3});
    case 33:
        return WriteFieldsInto<4>(Cmd::kCalibrateR0Quad, {t[0]}, &SensorParameters::r0Values, {2, 0, 3, 1});
    case 34:
        return WriteFieldsInto<4>(Cmd::kWriteCP, {t[0], t[1], t[2], t[3]}, &SensorParameters::cpValues, {0, 1, 2, 3});
    case 35:
        return WriteFieldsInto<4>(Cmd::kCreateLog, {t[0], t[1]}, nullptr, {-1, -1, -1, -1});
    case 36: {
        if (StopRequested())
            return 0;
        std::string password;
        {
            TCsLock lock(dataLock_);
            password = calibrationPassword_;
            sensor_.le.Clear();
        }
        // A decimal comma typed on a Russian keyboard is the decimal point.
        double number = 0.0;
        double held = 0.0;
        if (ParseSensorNumber(value, number, kLeFormat) == SensorValueProblem::None &&
            commands_.WriteLE(password, number, held, false)) {
            TCsLock lock(dataLock_);
            sensor_.le.Store(FormatC("%0.1f", held));
        }
        NotifySensorParametersChanged();
        return 1;
    }
    case 37: {
        if (StopRequested())
            return 0;
        std::string answer;
        commands_.SelectMultigasChannel(value, answer, false);
        NotifySensorParametersChanged();
        return 1;
    }
    default:
        return 1;
    }
}

int SensorModbusInterface::RereadParameter(int code)
{
    if (code >= 4 && code <= 15)
        return ReadSetting(static_cast<std::size_t>(code - 4));
    switch (code) {
    case 0: return ReadV1();
    case 1: return ReadV2();
    case 2: return ReadC1();
    case 3: return ReadC2();
    case 16: return ReadCoefficients();
    case 17: return ReadHeater();
    case 18: return ReadBB();
    case 19: return ReadBR();
    case 20: return ReadTG();
    case 21: return ReadA1();
    case 22: return ReadKT();
    case 23: return ReadT0();
    case 24: return ReadH0();
    case 25: return ReadMG();
    case 26: return ReadMP();
    case 27: return ReadPI();
    case 28: return ReadS1();
    case 29: return ReadS2();
    case 30: return ReadR0();
    case 31: return ReadLP();
    case 32: return ReadR0Pair();
    case 33: return ReadCP();
    case 34: return ReadLE();
    default: return 1;
    }
}

int SensorModbusInterface::ReadLogLine(SensorLogFields& fields, bool& ok)
{
    ok = false;
    if (StopRequested())
        return 0;
    ok = commands_.ReadLogRecord(CalibrationPassword(), fields);
    if (!ok && StopRequested())
        return 0;
    return 1;
}
