#include "SensorHartInterface.h"

#include <cstdio>
#include <utility>

#include "Cp1251.h"
#include "HartComConnector.h"
#include "TCsLock.h"
#include "TextNumbers.h"

namespace {

// The texts of HartParameters are windows-1251 like every device text in the
// engine's records; the unit names are written here in UTF-8 and converted.
std::string Unit(const char* utf8)
{
    return Cp1251::FromUtf8(utf8);
}

// "value unit": a code without a name still leaves the blank after the value.
std::string ValueWithUnit(double value, const std::string& unit)
{
    return SensorHartInterface::FormatValue(value) + " " + unit;
}

} // namespace

SensorHartInterface::SensorHartInterface()
{
    master.SetStopEvent(&stopEvent);
}

SensorHartInterface::~SensorHartInterface()
{
    StopThread();
    ReleaseFixedCurrent();
    master.Close();
}

std::string SensorHartInterface::FormatValue(double value)
{
    // A NaN compares with neither bound and falls through to "%.0f".
    const char* format = "%.0f";
    if (value < 10.0)
        format = "%.02f";
    else if (value < 100.0)
        format = "%.01f";
    return FormatC(format, value);
}

std::string SensorHartInterface::UnitText(std::uint8_t unitCode)
{
    switch (unitCode) {
    case 139:
        return Unit("ppm");
    case 146:
    case 171:
        return Unit("мг/м3");
    case 149:
        return Unit("%об.");
    case 161:
        return Unit("%НКПР");
    case 170:
        return Unit("г/м3");
    default:
        return {};
    }
}

void SensorHartInterface::SetTimeSource(ITimeSource* time)
{
    master.SetTimeSource(time);
}

void SensorHartInterface::SetFixedCurrentArguments(std::uint32_t enable, float currentMa)
{
    fixedCurrentEnable = enable;
    fixedCurrent = currentMa;
}

bool SensorHartInterface::Open(int port, std::uint8_t address)
{
    Close();
    {
        TCsLock guard(lock);
        hartParameters.Reset();
    }
    portPermissionDenied_ = false;
    if (port < 1) {
        state = kNoPort;
        return false;
    }
    // The connector is opened here, not by the master, to learn why a port
    // would not open.
    auto connector = std::make_unique<HartComConnector>();
    if (!connector->Open(port)) {
        portPermissionDenied_ = connector->LastOpenError() == ComConnector::OpenError::PermissionDenied;
        return OpenWith(false, address);
    }
    const bool opened = OpenWith(master.Open(std::move(connector)), address);
    link_.Reset(opened ? port : 0);
    return opened;
}

bool SensorHartInterface::Open(std::unique_ptr<IConnector> connector, std::uint8_t address)
{
    Close();
    link_.Reset(0);
    portPermissionDenied_ = false;
    {
        TCsLock guard(lock);
        hartParameters.Reset();
    }
    return OpenWith(master.Open(std::move(connector)), address);
}

bool SensorHartInterface::OpenWith(bool opened, std::uint8_t address)
{
    if (!opened) {
        state = kOpenFailed;
        return false;
    }
    currentPollingAddress = address;
    deviceStatus = 0;
    if (address != kUnknownAddress) {
        TCsLock guard(lock);
        hartParameters.pollingAddress.Store(address);
    }
    state = kReady;
    return true;
}

void SensorHartInterface::Close()
{
    StopThread();
    ReleaseFixedCurrent();
    master.Close();
    state = kClosed;
}

void SensorHartInterface::CloseKeepingFixedCurrent()
{
    StopThread();
    master.Close();
    state = kClosed;
}

SensorHartInterface::FixedCurrentRecord SensorHartInterface::FixedRecord()
{
    TCsLock guard(lock);
    return fixedRecord_;
}

void SensorHartInterface::SetFixedRecord(const FixedCurrentRecord& record)
{
    TCsLock guard(lock);
    fixedRecord_ = record;
}

bool SensorHartInterface::LoopCurrentFixed()
{
    return FixedRecord().fixed;
}

float SensorHartInterface::FixedLoopCurrent()
{
    const FixedCurrentRecord r = FixedRecord();
    return r.fixed ? r.current : 0.0f;
}

bool SensorHartInterface::ReleaseFixedCurrent()
{
    const FixedCurrentRecord r = FixedRecord();
    if (!r.fixed)
        return true;
    // Without the line nothing can be sent; the current stays remembered so
    // that the next chance (or the warning) is not lost.
    if (!master.IsOpen())
        return false;
    // Sent after the task was stopped: the stop must not cut it short.
    StopShield<HartMaster> shield(master);
    float actual = 0.0f;
    if (master.SetFixedCurrent(HartAddress{true, r.deviceType, r.deviceId}, 0.0f, actual) != HartMaster::kOk)
        return false;
    Answered();
    SetFixedRecord({});
    return true;
}

bool SensorHartInterface::StartRead()
{
    const std::uint32_t s = state.load();
    if (s != kNoAnswer && s != kReady)
        return false;
    {
        TCsLock guard(lock);
        hartParameters.Reset();
        if (currentPollingAddress != kUnknownAddress)
            hartParameters.pollingAddress.Store(currentPollingAddress);
    }
    state = kReadingAll;
    StartThread();
    return true;
}

bool SensorHartInterface::StartMonitoring()
{
    if (state.load() != kReady)
        return false;
    state = kMonitoring;
    StartThread();
    return true;
}

bool SensorHartInterface::StartLoopCurrent(std::uint32_t enable, float currentMa)
{
    if (state.load() != kReady)
        return false;
    SetFixedCurrentArguments(enable, currentMa);
    state = kLoopCurrent;
    StartThread();
    return true;
}

void SensorHartInterface::StartThread()
{
    if (thread.joinable())
        StopThread();
    stopEvent.Reset();
    // The task reads only members set before this point; std::thread's start
    // orders those writes before the task begins, as a resumed suspended
    // thread would.
    thread = std::thread([this] { ThreadProc(); });
}

void SensorHartInterface::StopThread()
{
    // On the worker thread `thread` belongs to the other side: only ask.
    if (workerId_.load() == std::this_thread::get_id()) {
        stopEvent.Set();
        return;
    }
    if (!thread.joinable())
        return;
    stopEvent.Set();
    thread.join();
    thread = std::thread();
}

void SensorHartInterface::CopyHartParameters(HartParameters& out)
{
    TCsLock guard(lock);
    out = hartParameters;
}

void SensorHartInterface::ThreadProc()
{
    workerId_ = std::this_thread::get_id();
    switch (state.load()) {
    case kReadingAll:
        RunReadAll();
        break;
    case kMonitoring:
        RunMonitoring();
        break;
    case kLoopCurrent:
        RunLoopCurrent();
        break;
    default:
        break;
    }
    workerId_ = std::thread::id();
}

void SensorHartInterface::RunReadAll()
{
    if (currentPollingAddress == kUnknownAddress && !StepSearchAddress())
        return;
    if (!StepIdentity() || !StepLoopConfiguration() || !StepTagDescriptorDate() || !StepLongTag() ||
        !StepMessage() || !StepTransducer() || !StepPrimaryValue() || !StepLoopCurrent())
        return;
    state = kReady;
    NotifyEvent();
}

void SensorHartInterface::RunMonitoring()
{
    if (!StepIdentity() || !StepLoopConfiguration() || !StepTagDescriptorDate() || !StepLongTag() ||
        !StepMessage() || !StepTransducer())
        return;
    for (;;) {
        const LineLink::CycleMark mark = LineLink::Mark(master.Watch());
        if (!StepPrimaryValue() || !StepLoopCurrent())
            return;
        if (!AfterPollCycle(mark))
            return;
        if (stopEvent.Wait(kMonitoringPeriodMs)) {
            // Asked to stop: the engine ends the activity itself, so no event.
            state = kReady;
            return;
        }
    }
}

void SensorHartInterface::RunLoopCurrent()
{
    const FixedCurrentRecord before = FixedRecord();
    const bool release = fixedCurrentEnable == 0;
    HartAddress target;
    if (release && before.fixed) {
        // The device that was fixed is known by its unique identifier: a
        // polling address lost since (a failed identity) must not keep its
        // output fixed.
        if (Stopped())
            return;
        target = HartAddress{true, before.deviceType, before.deviceId};
    } else {
        if (!StepIdentity() || Stopped())
            return;
        target = LongAddress();
    }
    // 0 mA is how a HART device is told to leave fixed-current mode.
    const float current = release ? 0.0f : fixedCurrent;
    if (!release) {
        // Remembered before it is sent: a request that gets no answer may
        // still have reached the device.
        SetFixedRecord({true, current, target.deviceType, target.deviceId});
    }
    float actual = 0.0f;
    // Not cut short by a stop: whether the device took the command must be
    // known, or a release would go out twice and a fixed current be taken
    // for a free one.
    std::uint8_t result = HartMaster::kFailed;
    {
        StopShield<HartMaster> shield(master);
        result = master.SetFixedCurrent(target, current, actual);
    }
    if (result != HartMaster::kOk) {
        // A device that answered with a response code refused the command
        // and kept its output as it was.
        if (!release && result != HartMaster::kFailed)
            SetFixedRecord(before);
        state = kNoAnswer;
        NotifyEvent();
        return;
    }
    Answered();
    if (release)
        SetFixedRecord({});
    else
        SetFixedRecord({true, actual != 0.0f ? actual : current, target.deviceType, target.deviceId});
    if (!StepLoopCurrent())
        return;
    state = kReady;
    NotifyEvent();
}

bool SensorHartInterface::AfterPollCycle(const LineLink::CycleMark& mark)
{
    if (Stopped())
        return false;
    const auto notify = [this] { NotifyHartLinkChanged(); };
    if (!link_.MustWait(mark, master.Watch(), notify))
        return true;
    if (link_.Await<HartComConnector>(master, stopEvent, notify))
        return true;
    state = kReady;
    return false;
}

bool SensorHartInterface::Stopped()
{
    if (!stopEvent.IsSet())
        return false;
    state = kReady;
    return true;
}

HartAddress SensorHartInterface::LongAddress() const
{
    return HartAddress{true, expandedDeviceType, deviceId};
}

void SensorHartInterface::Answered()
{
    deviceStatus = master.LastDeviceStatus();
}

bool SensorHartInterface::StepSearchAddress()
{
    // A silent address costs a whole read timeout, so a stop request is
    // honoured between addresses, not only before the search.
    for (std::uint8_t a = 0; a <= kLastPollingAddress; ++a) {
        if (Stopped())
            return false;
        NotifyProgress(a);
        if (master.ReadUniqueIdentifier(HartAddress{false, 0, a}, lastIdentifier, false) != HartMaster::kOk)
            continue;
        Answered();
        currentPollingAddress = a;
        {
            TCsLock guard(lock);
            hartParameters.pollingAddress.Store(a);
        }
        SetHartAddress(a);
        NotifyDataChanged();
        return true;
    }
    SetHartAddress(kUnknownAddress);
    state = kNoAnswer;
    NotifyEvent();
    return false;
}

bool SensorHartInterface::StepIdentity()
{
    if (Stopped())
        return false;
    // A polling address above 63 cannot be put in a short frame; asking the
    // address it would wrap to could find another device on the loop.
    const bool usable = currentPollingAddress <= kLastPollingAddress;
    const bool found = usable && master.ReadUniqueIdentifier(HartAddress{false, 0, currentPollingAddress},
                                                             lastIdentifier, false) == HartMaster::kOk;
    if (!found && Stopped())
        return false;
    if (found) {
        Answered();
        expandedDeviceType = lastIdentifier.expandedDeviceType;
        deviceId = lastIdentifier.deviceId;
        char text[16];
        std::snprintf(text, sizeof text, "#%04X%06X", static_cast<unsigned>(expandedDeviceType),
                      static_cast<unsigned>(deviceId & 0xFFFFFF));
        {
            TCsLock guard(lock);
            hartParameters.uniqueId.Store(text);
        }
        NotifyDataChanged();
        return true;
    }
    currentPollingAddress = kUnknownAddress;
    {
        TCsLock guard(lock);
        hartParameters.uniqueId.Clear();
        hartParameters.pollingAddress.Clear();
    }
    NotifyDataChanged();
    SetHartAddress(kUnknownAddress);
    state = kNoAnswer;
    NotifyEvent();
    return false;
}

bool SensorHartInterface::StepPrimaryValue()
{
    if (Stopped())
        return false;
    HartPrimaryVariable pv;
    const bool ok = master.ReadPrimaryVariable(LongAddress(), pv, false) == HartMaster::kOk;
    if (!ok && Stopped())
        return false; // the field keeps its value; the stop is no answer
    if (ok)
        Answered();
    {
        TCsLock guard(lock);
        if (ok)
            hartParameters.primaryValue.Store(ValueWithUnit(pv.value, UnitText(pv.unitCode)));
        else
            hartParameters.primaryValue.Clear();
    }
    NotifyDataChanged();
    return true;
}

bool SensorHartInterface::StepLoopCurrent()
{
    if (Stopped())
        return false;
    HartLoopCurrent current;
    const bool ok = master.ReadLoopCurrent(LongAddress(), current, false) == HartMaster::kOk;
    if (!ok && Stopped())
        return false; // the field keeps its value; the stop is no answer
    if (ok)
        Answered();
    {
        TCsLock guard(lock);
        if (ok)
            hartParameters.outputCurrent.Store(ValueWithUnit(current.currentMa, Unit("мА")));
        else
            hartParameters.outputCurrent.Clear();
    }
    NotifyDataChanged();
    return true;
}

bool SensorHartInterface::StepLoopConfiguration()
{
    if (Stopped())
        return false;
    const bool ok = master.ReadLoopConfiguration(LongAddress(), lastLoopConfiguration, false) == HartMaster::kOk;
    if (!ok && Stopped())
        return false; // the field keeps its value; the stop is no answer
    if (ok)
        Answered();
    {
        TCsLock guard(lock);
        if (ok)
            hartParameters.loopCurrentMode.Store(lastLoopConfiguration.loopCurrentMode == 1 ? 1 : 0);
        else
            hartParameters.loopCurrentMode.Clear();
    }
    NotifyDataChanged();
    return true;
}

bool SensorHartInterface::StepTagDescriptorDate()
{
    if (Stopped())
        return false;
    const bool ok = master.ReadTagDescriptorDate(LongAddress(), lastTagDescriptorDate, false) == HartMaster::kOk;
    if (!ok && Stopped())
        return false; // the field keeps its value; the stop is no answer
    std::string tag;
    std::string date;
    if (ok) {
        Answered();
        tag = lastTagDescriptorDate.tag.substr(0, lastTagDescriptorDate.tag.find('\0'));
        char text[32];
        std::snprintf(text, sizeof text, "%02u.%02u.%u", static_cast<unsigned>(lastTagDescriptorDate.day),
                      static_cast<unsigned>(lastTagDescriptorDate.month),
                      static_cast<unsigned>(lastTagDescriptorDate.yearSince1900) + 1900u);
        date = text;
    }
    {
        TCsLock guard(lock);
        if (ok) {
            hartParameters.shortTag.Store(tag);
            hartParameters.descriptor.Store(lastTagDescriptorDate.descriptor);
            hartParameters.date.Store(date);
        } else {
            hartParameters.shortTag.Clear();
            hartParameters.descriptor.Clear();
            hartParameters.date.Clear();
        }
    }
    NotifyDataChanged();
    return true;
}

bool SensorHartInterface::StepLongTag()
{
    if (Stopped())
        return false;
    // Older devices do not know command 20 and refuse it (response code 64):
    // the long tag stays empty and the reading goes on.
    const bool ok = master.ReadLongTag(LongAddress(), lastLongTag, false) == HartMaster::kOk;
    if (!ok && Stopped())
        return false; // the field keeps its value; the stop is no answer
    if (ok)
        Answered();
    {
        TCsLock guard(lock);
        if (ok)
            hartParameters.longTag.Store(lastLongTag.substr(0, lastLongTag.find('\0')));
        else
            hartParameters.longTag.Clear();
    }
    NotifyDataChanged();
    return true;
}

bool SensorHartInterface::StepMessage()
{
    if (Stopped())
        return false;
    const bool ok = master.ReadMessage(LongAddress(), lastMessage, false) == HartMaster::kOk;
    if (!ok && Stopped())
        return false; // the field keeps its value; the stop is no answer
    if (ok)
        Answered();
    {
        TCsLock guard(lock);
        if (ok)
            hartParameters.message.Store(lastMessage);
        else
            hartParameters.message.Clear();
    }
    NotifyDataChanged();
    return true;
}

bool SensorHartInterface::StepTransducer()
{
    if (Stopped())
        return false;
    const bool ok = master.ReadTransducerInfo(LongAddress(), lastTransducerInfo, false) == HartMaster::kOk;
    if (!ok && Stopped())
        return false; // the field keeps its value; the stop is no answer
    std::string upper;
    if (ok) {
        Answered();
        upper = ValueWithUnit(lastTransducerInfo.upperLimit, UnitText(lastTransducerInfo.unitCode));
    }
    {
        TCsLock guard(lock);
        if (ok) {
            hartParameters.sensorSerial.Store(lastTransducerInfo.serialText);
            hartParameters.upperRange.Store(upper);
        } else {
            hartParameters.sensorSerial.Clear();
            hartParameters.upperRange.Clear();
        }
    }
    NotifyDataChanged();
    return true;
}
