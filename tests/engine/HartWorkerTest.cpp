// The HART worker on a modem line whose far end answers like a field device,
// in virtual time: the master's fixed sleeps cost nothing, so even the search
// of all 64 polling addresses runs at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <limits>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "Cp1251.h"
#include "HartParameters.h"
#include "IConnector.h"
#include "ScriptedConnector.h"
#include "SensorHartInterface.h"
#include "VirtualTime.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kWaitLimit = 20s;   // a broken worker fails the test instead of hanging it

std::uint8_t Xor(const Bytes& b, std::size_t from)
{
    std::uint8_t x = 0;
    for (std::size_t i = from; i < b.size(); ++i)
        x ^= b[i];
    return x;
}

Bytes Real(float f)
{
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return {static_cast<std::uint8_t>(bits >> 24), static_cast<std::uint8_t>(bits >> 16),
            static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits)};
}

float RealOf(const Bytes& b, std::size_t at)
{
    const std::uint32_t bits = (static_cast<std::uint32_t>(b[at]) << 24) | (static_cast<std::uint32_t>(b[at + 1]) << 16) |
                               (static_cast<std::uint32_t>(b[at + 2]) << 8) | b[at + 3];
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// HART packed ASCII: 4 characters of 6 bits in every 3 bytes, blank-padded.
Bytes Packed(std::string text, std::size_t chars)
{
    text.resize(chars, ' ');
    Bytes out;
    for (std::size_t i = 0; i < chars; i += 4) {
        std::uint32_t v = 0;
        for (std::size_t k = 0; k < 4; ++k)
            v = (v << 6) | (static_cast<std::uint8_t>(text[i + k]) & 0x3F);
        out.push_back(static_cast<std::uint8_t>(v >> 16));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
        out.push_back(static_cast<std::uint8_t>(v));
    }
    return out;
}

// One request as the master framed it.
struct Request {
    bool longAddress = false;
    Bytes address;
    std::uint8_t command = 0;
    Bytes data;
};

std::optional<Request> ParseRequest(const Bytes& frame)
{
    std::size_t i = 0;
    while (i < frame.size() && frame[i] == 0xFF)
        ++i;
    if (i + 1 >= frame.size())
        return std::nullopt;
    Request r;
    r.longAddress = frame[i] == 0x82;
    const std::size_t addressLength = r.longAddress ? 5 : 1;
    const std::size_t at = i + 1;
    if (at + addressLength + 2 > frame.size())
        return std::nullopt;
    r.address.assign(frame.begin() + static_cast<long>(at), frame.begin() + static_cast<long>(at + addressLength));
    r.command = frame[at + addressLength];
    const std::size_t count = frame[at + addressLength + 1];
    const std::size_t dataAt = at + addressLength + 2;
    if (dataAt + count + 1 != frame.size() || Xor(Bytes(frame.begin() + static_cast<long>(i), frame.end() - 1), 0) !=
                                                  frame.back())
        return std::nullopt;
    r.data.assign(frame.begin() + static_cast<long>(dataAt), frame.begin() + static_cast<long>(dataAt + count));
    return r;
}

// The far end of the modem line: a field device that reads each request the
// master writes and answers it as a device at its polling address would.
// Used only from the worker thread while a task runs; the test looks at it
// after the thread has been joined.
class FieldDeviceLine : public IConnector {
public:
    struct Device {
        int pollingAddress = 5;              // -1: nobody on the loop
        std::uint16_t expandedDeviceType = 0x0A51;
        std::uint32_t deviceId = 0x00002B;
        std::uint8_t pvUnit = 139;
        float pv = 4.5f;
        float loopCurrent = 4.72f;
        std::uint8_t loopCurrentMode = 1;
        std::string tag = "GD-7";
        std::string descriptor = "GAS DETECTOR";
        std::uint8_t day = 5, month = 3, yearSince1900 = 124;
        std::string longTag = "Boiler room 2";
        std::string message = "CALIBRATED";
        Bytes serial = {0x04, 0x40, 0x01};
        std::uint8_t rangeUnit = 170;
        float upper = 250.0f;
        std::set<std::uint8_t> refused;      // answered with response code 64
        std::uint8_t fixedCurrentRefusal = 0;
    };

    FieldDeviceLine(VirtualTime& time, Device device) : time_(time), device_(std::move(device)) {}

    bool Write(int, const std::uint8_t* data, int length) override
    {
        const Bytes frame(data, data + length);
        written_.push_back(frame);
        const auto request = ParseRequest(frame);
        if (request && Addressed(*request))
            pending_ = Answer(*request);
        return true;
    }

    bool Read(int, std::uint8_t* buffer, int capacity, int& count) override
    {
        count = 0;
        if (pending_.empty()) {
            // Nothing comes: the read timeout runs out, in virtual time.
            time_.Advance(static_cast<std::uint64_t>(capacity));
            return true;
        }
        while (!pending_.empty() && count < capacity) {
            buffer[count++] = pending_.front();
            pending_.pop_front();
        }
        return true;
    }

    void PurgeInput() override { pending_.clear(); }

    const std::vector<Bytes>& Written() const { return written_; }
    std::vector<Request> Requests() const
    {
        std::vector<Request> out;
        for (const Bytes& w : written_)
            if (auto r = ParseRequest(w))
                out.push_back(*r);
        return out;
    }
    bool Fixed() const { return fixed_; }

private:
    bool Addressed(const Request& r) const
    {
        if (device_.pollingAddress < 0)
            return false;
        if (!r.longAddress)
            return r.address[0] == (0x80 | device_.pollingAddress);
        return (r.address[0] & 0x3F) == ((device_.expandedDeviceType >> 8) & 0x3F) &&
               r.address[1] == (device_.expandedDeviceType & 0xFF) && r.address[2] == ((device_.deviceId >> 16) & 0xFF) &&
               r.address[3] == ((device_.deviceId >> 8) & 0xFF) && r.address[4] == (device_.deviceId & 0xFF);
    }

    std::deque<std::uint8_t> Answer(const Request& r)
    {
        std::uint8_t code = 0;
        Bytes data;
        if (device_.refused.count(r.command) != 0) {
            code = 64;
        } else {
            switch (r.command) {
            case 0: {
                const std::uint16_t t = device_.expandedDeviceType;
                const std::uint32_t id = device_.deviceId;
                data = {254, static_cast<std::uint8_t>(t >> 8), static_cast<std::uint8_t>(t), 5, 7, 1, 3, 2, 0,
                        static_cast<std::uint8_t>(id >> 16), static_cast<std::uint8_t>(id >> 8),
                        static_cast<std::uint8_t>(id), 5, 1, 0, 0, 0, 0x60, 0xAB, 0x60, 0xAB, 1};
                break;
            }
            case 1:
                data = Bytes{device_.pvUnit} + Real(device_.pv);
                break;
            case 2:
                data = Real(fixed_ ? fixedCurrent_ : device_.loopCurrent) + Real(5.0f);
                break;
            case 7:
                data = {static_cast<std::uint8_t>(device_.pollingAddress), device_.loopCurrentMode};
                break;
            case 12:
                data = Packed(device_.message, 32);
                break;
            case 13:
                data = Packed(device_.tag, 8) + Packed(device_.descriptor, 16) +
                       Bytes{device_.day, device_.month, device_.yearSince1900};
                break;
            case 14:
                data = device_.serial + Bytes{device_.rangeUnit} + Real(device_.upper) + Real(0.0f) + Real(10.0f);
                break;
            case 20:
                data.assign(device_.longTag.begin(), device_.longTag.end());
                data.resize(32, 0);
                break;
            case 40:
                if (device_.fixedCurrentRefusal != 0 || r.data.size() < 4) {
                    code = device_.fixedCurrentRefusal != 0 ? device_.fixedCurrentRefusal : 5;
                    break;
                }
                fixedCurrent_ = RealOf(r.data, 0);
                fixed_ = fixedCurrent_ != 0.0f;
                data = Bytes(r.data.begin(), r.data.begin() + 4);
                break;
            default:
                code = 64;
                break;
            }
        }
        Bytes b(5, 0xFF);
        const std::size_t delimiterAt = b.size();
        b.push_back(r.longAddress ? 0x86 : 0x06);
        b.insert(b.end(), r.address.begin(), r.address.end());
        b.push_back(r.command);
        b.push_back(static_cast<std::uint8_t>(data.size() + 2));
        b.push_back(code);
        b.push_back(0x00);
        b.insert(b.end(), data.begin(), data.end());
        b.push_back(Xor(b, delimiterAt));
        return std::deque<std::uint8_t>(b.begin(), b.end());
    }

    VirtualTime& time_;
    Device device_;
    std::deque<std::uint8_t> pending_;
    std::vector<Bytes> written_;
    bool fixed_ = false;
    float fixedCurrent_ = 0.0f;
};

// The worker with its notifications recorded, as the engine would post them.
class RecordingWorker : public SensorHartInterface {
public:
    ~RecordingWorker() override { StopThread(); }

    void NotifyEvent() override { Record([&] { ++events; }); }
    void NotifyDataChanged() override
    {
        Record([&] { ++dataChanges; });
        if (stopAfterDataChanges > 0 && DataChanges() == stopAfterDataChanges)
            StopThread();   // on the worker thread: only asks the task to stop
    }
    void NotifyNotice() override { Record([&] { ++notices; }); }
    void NotifyProgress(std::uint8_t value) override
    {
        Record([&] { progress.push_back(value); });
        if (stopAfterProgress >= 0 && value == stopAfterProgress)
            StopThread();
    }
    void SetHartAddress(std::uint8_t value) override { Record([&] { addresses.push_back(value); }); }

    // Waits, in real time but bounded, until `done` holds for the records.
    bool WaitUntil(const std::function<bool()>& done)
    {
        std::unique_lock<std::mutex> l(mutex_);
        return changed_.wait_for(l, kWaitLimit, done);
    }
    bool WaitForEvent()
    {
        return WaitUntil([&] { return events > 0; });
    }
    // A stopped task raises nothing: its end shows only in the state.
    bool WaitForState(std::uint32_t wanted)
    {
        const auto until = std::chrono::steady_clock::now() + kWaitLimit;
        while (State() != wanted) {
            if (std::chrono::steady_clock::now() > until)
                return false;
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }
    int DataChanges()
    {
        std::lock_guard<std::mutex> l(mutex_);
        return dataChanges;
    }
    void SetFixedCurrentArgs(std::uint32_t enable, float current) { SetFixedCurrentArguments(enable, current); }
    void ForceState(std::uint32_t s) { SetState(s); }

    // Read only after the worker thread has been joined, or under WaitUntil.
    int events = 0;
    int dataChanges = 0;
    int notices = 0;
    std::vector<int> progress;
    std::vector<int> addresses;
    int stopAfterDataChanges = 0;
    int stopAfterProgress = -1;

private:
    template <typename F>
    void Record(F f)
    {
        {
            std::lock_guard<std::mutex> l(mutex_);
            f();
        }
        changed_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable changed_;
};

std::vector<int> Range(int from, int to)
{
    std::vector<int> v;
    for (int i = from; i <= to; ++i)
        v.push_back(i);
    return v;
}

std::string Utf8(const TextSlot& slot)
{
    return Cp1251::ToUtf8(slot.text);
}

class HartWorkerTest : public ::testing::Test {
protected:
    // Opens the worker on a line to `device`; `address` as the engine knows it.
    void OpenOn(FieldDeviceLine::Device device, std::uint8_t address)
    {
        worker_.SetTimeSource(&time_);
        auto line = std::make_unique<FieldDeviceLine>(time_, std::move(device));
        line_ = line.get();
        ASSERT_TRUE(worker_.Open(std::move(line), address));
        ASSERT_EQ(worker_.State(), SensorHartInterface::kReady);
    }

    // Runs a task that ends with an event and joins its thread.
    void RunToEvent()
    {
        ASSERT_TRUE(worker_.WaitForEvent());
        worker_.StopThread();
    }

    HartParameters Params()
    {
        HartParameters p;
        worker_.CopyHartParameters(p);
        return p;
    }

    std::vector<std::uint8_t> Commands() const
    {
        std::vector<std::uint8_t> out;
        for (const Request& r : line_->Requests())
            out.push_back(r.command);
        return out;
    }

    VirtualTime time_;
    RecordingWorker worker_;
    FieldDeviceLine* line_ = nullptr;   // owned by the worker's master
};

TEST_F(HartWorkerTest, SearchFindsTheDeviceAtPollingAddressFiveThenReadsEverything)
{
    OpenOn({}, 255);
    ASSERT_TRUE(worker_.StartRead());
    RunToEvent();

    EXPECT_EQ(worker_.progress, Range(0, 5));
    EXPECT_EQ(worker_.addresses, std::vector<int>{5});
    EXPECT_EQ(worker_.events, 1);
    EXPECT_EQ(worker_.notices, 0);
    EXPECT_EQ(worker_.State(), SensorHartInterface::kReady);

    // Search 0..5, identity at 5, then the long-address reads in their order.
    const std::vector<std::uint8_t> expected = {0, 0, 0, 0, 0, 0, 0, 7, 13, 20, 12, 14, 1, 2};
    EXPECT_EQ(Commands(), expected);
    const auto requests = line_->Requests();
    ASSERT_EQ(requests.size(), expected.size());
    for (std::size_t i = 0; i <= 6; ++i) {
        EXPECT_FALSE(requests[i].longAddress);
        EXPECT_EQ(requests[i].address, Bytes{static_cast<std::uint8_t>(0x80 | (i < 6 ? i : 5))});
    }
    for (std::size_t i = 7; i < requests.size(); ++i) {
        EXPECT_TRUE(requests[i].longAddress);
        EXPECT_EQ(ToHex(requests[i].address), "8A 51 00 00 2B");
    }

    const HartParameters p = Params();
    EXPECT_EQ(p.pollingAddress.valid, 1u);
    EXPECT_EQ(p.pollingAddress.value, 5u);
    EXPECT_EQ(p.uniqueId.valid, 1u);
    EXPECT_EQ(p.uniqueId.text, "#0A5100002B");
    EXPECT_EQ(p.loopCurrentMode.valid, 1u);
    EXPECT_EQ(p.loopCurrentMode.value, 1u);
    EXPECT_EQ(p.shortTag.text, "GD-7    ");
    EXPECT_EQ(p.descriptor.text, "GAS DETECTOR    ");
    EXPECT_EQ(p.date.text, "05.03.2024");
    EXPECT_EQ(p.longTag.text, "Boiler room 2");
    EXPECT_EQ(p.message.text, "CALIBRATED" + std::string(22, ' '));
    EXPECT_EQ(p.sensorSerial.text, "01010001");
    EXPECT_EQ(Utf8(p.upperRange), "250 г/м3");
    EXPECT_EQ(Utf8(p.primaryValue), "4.50 ppm");
    EXPECT_EQ(Utf8(p.outputCurrent), "4.72 мА");
    for (const TextSlot* t : {&p.uniqueId, &p.primaryValue, &p.outputCurrent, &p.shortTag, &p.descriptor, &p.date,
                              &p.longTag, &p.message, &p.sensorSerial, &p.upperRange})
        EXPECT_EQ(t->valid, 1u) << t->text;
    EXPECT_GE(worker_.dataChanges, 9);
}

TEST_F(HartWorkerTest, NoDeviceSearchesEveryAddressAndEndsWithOneEvent)
{
    // 64 silent addresses cost minutes of line time; here the clock is virtual.
    FieldDeviceLine::Device nobody;
    nobody.pollingAddress = -1;
    OpenOn(nobody, 255);
    ASSERT_TRUE(worker_.StartRead());
    RunToEvent();

    EXPECT_EQ(worker_.progress, Range(0, 63));
    EXPECT_EQ(worker_.addresses, std::vector<int>{255});
    EXPECT_EQ(worker_.events, 1);
    EXPECT_EQ(worker_.State(), SensorHartInterface::kNoAnswer);
    EXPECT_EQ(Commands(), std::vector<std::uint8_t>(64, 0));
    EXPECT_EQ(Params(), HartParameters{});
}

TEST_F(HartWorkerTest, KnownAddressSkipsTheSearch)
{
    OpenOn({}, 5);
    EXPECT_EQ(Params().pollingAddress.valid, 1u);
    ASSERT_TRUE(worker_.StartRead());
    RunToEvent();
    EXPECT_TRUE(worker_.progress.empty());
    EXPECT_TRUE(worker_.addresses.empty());
    EXPECT_EQ(Commands(), (std::vector<std::uint8_t>{0, 7, 13, 20, 12, 14, 1, 2}));
    EXPECT_EQ(worker_.State(), SensorHartInterface::kReady);
}

TEST_F(HartWorkerTest, DeviceGoneFromTheKnownAddressFailsThenTheNextReadSearches)
{
    OpenOn({}, 9);
    ASSERT_TRUE(worker_.StartRead());
    RunToEvent();
    EXPECT_EQ(worker_.State(), SensorHartInterface::kNoAnswer);
    EXPECT_EQ(worker_.addresses, std::vector<int>{255});
    EXPECT_EQ(worker_.events, 1);
    EXPECT_EQ(Commands(), std::vector<std::uint8_t>{0});
    EXPECT_EQ(Params().pollingAddress.valid, 0u);

    // The address is unknown now: the next read searches for the device.
    ASSERT_TRUE(worker_.StartRead());
    ASSERT_TRUE(worker_.WaitUntil([&] { return worker_.events == 2; }));
    worker_.StopThread();
    EXPECT_EQ(worker_.progress, Range(0, 5));
    EXPECT_EQ(worker_.addresses, (std::vector<int>{255, 5}));
    EXPECT_EQ(worker_.State(), SensorHartInterface::kReady);
    EXPECT_EQ(Params().pollingAddress.value, 5u);
}

// A refused command clears only its own fields; the read goes on and ends ready.
TEST_F(HartWorkerTest, RefusedCommandLeavesOnlyItsFieldsInvalid)
{
    struct Case {
        const char* name;
        std::uint8_t command;
        std::vector<TextSlot HartParameters::*> invalidTexts;
        bool loopModeInvalid;
    };
    const std::vector<Case> cases = {
        {"long tag (older device)", 20, {&HartParameters::longTag}, false},
        {"tag, descriptor, date", 13, {&HartParameters::shortTag, &HartParameters::descriptor, &HartParameters::date},
         false},
        {"message", 12, {&HartParameters::message}, false},
        {"transducer", 14, {&HartParameters::sensorSerial, &HartParameters::upperRange}, false},
        {"primary value", 1, {&HartParameters::primaryValue}, false},
        {"loop current", 2, {&HartParameters::outputCurrent}, false},
        {"loop configuration", 7, {}, true},
    };
    const std::vector<TextSlot HartParameters::*> allTexts = {
        &HartParameters::uniqueId,     &HartParameters::primaryValue, &HartParameters::outputCurrent,
        &HartParameters::shortTag,     &HartParameters::descriptor,   &HartParameters::date,
        &HartParameters::longTag,      &HartParameters::message,      &HartParameters::sensorSerial,
        &HartParameters::upperRange};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualTime time;
        RecordingWorker worker;
        worker.SetTimeSource(&time);
        FieldDeviceLine::Device device;
        device.refused = {c.command};
        ASSERT_TRUE(worker.Open(std::make_unique<FieldDeviceLine>(time, device), 255));
        ASSERT_TRUE(worker.StartRead());
        ASSERT_TRUE(worker.WaitForEvent());
        worker.StopThread();
        EXPECT_EQ(worker.State(), SensorHartInterface::kReady);
        EXPECT_EQ(worker.events, 1);
        HartParameters p;
        worker.CopyHartParameters(p);
        for (auto field : allTexts) {
            const bool expectInvalid =
                std::find(c.invalidTexts.begin(), c.invalidTexts.end(), field) != c.invalidTexts.end();
            EXPECT_EQ((p.*field).valid, expectInvalid ? 0u : 1u) << (p.*field).text;
            if (expectInvalid) {
                EXPECT_TRUE((p.*field).text.empty());
            }
        }
        EXPECT_EQ(p.loopCurrentMode.valid, c.loopModeInvalid ? 0u : 1u);
        EXPECT_EQ(p.pollingAddress.valid, 1u);
    }
}

TEST_F(HartWorkerTest, ValuesAndUnitsAsTheDeviceReportsThem)
{
    struct Case {
        float pv;
        std::uint8_t unit;
        const char* shown;   // UTF-8; the record holds windows-1251
    };
    const std::vector<Case> cases = {
        {4.5f, 139, "4.50 ppm"},    {250.0f, 170, "250 г/м3"},   {12.34f, 146, "12.3 мг/м3"},
        {99.94f, 171, "99.9 мг/м3"}, {0.0f, 149, "0.00 %об."},   {57.5f, 161, "57.5 %НКПР"},
        {100.0f, 139, "100 ppm"},   {-1.25f, 139, "-1.25 ppm"}, {7.0f, 32, "7.00 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        VirtualTime time;
        RecordingWorker worker;
        worker.SetTimeSource(&time);
        FieldDeviceLine::Device device;
        device.pv = c.pv;
        device.pvUnit = c.unit;
        ASSERT_TRUE(worker.Open(std::make_unique<FieldDeviceLine>(time, device), 5));
        ASSERT_TRUE(worker.StartRead());
        ASSERT_TRUE(worker.WaitForEvent());
        worker.StopThread();
        HartParameters p;
        worker.CopyHartParameters(p);
        EXPECT_EQ(p.primaryValue.valid, 1u);
        EXPECT_EQ(Utf8(p.primaryValue), c.shown);
        EXPECT_EQ(p.primaryValue.text, Cp1251::FromUtf8(c.shown));
    }
}

TEST(HartWorkerFormat, ValueRuleAndUnitTexts)
{
    struct Case {
        double value;
        const char* text;
    };
    const std::vector<Case> values = {
        {9.994, "9.99"},  {10.0, "10.0"}, {99.94, "99.9"},  {100.0, "100"},  {4321.6, "4322"},
        {-50.0, "-50.00"}, {0.005, "0.01"}, {std::numeric_limits<double>::infinity(), "inf"},
    };
    for (const Case& c : values)
        EXPECT_EQ(SensorHartInterface::FormatValue(c.value), c.text) << c.value;
    // NaN compares with neither bound: no decimals.
    const std::string nan = SensorHartInterface::FormatValue(std::nan(""));
    EXPECT_EQ(nan.find('.'), std::string::npos);
    EXPECT_NE(nan.find("nan"), std::string::npos);

    struct Unit {
        std::uint8_t code;
        const char* text;
    };
    for (const Unit& u : std::vector<Unit>{{139, "ppm"}, {146, "мг/м3"}, {171, "мг/м3"}, {149, "%об."},
                                           {161, "%НКПР"}, {170, "г/м3"}, {0, ""}, {152, ""}, {255, ""}}) {
        EXPECT_EQ(SensorHartInterface::UnitText(u.code), Cp1251::FromUtf8(u.text)) << int(u.code);
    }
    // Single bytes of the Cyrillic code page, not UTF-8.
    EXPECT_EQ(SensorHartInterface::UnitText(170).size(), 4u);
}

TEST_F(HartWorkerTest, MonitoringReadsOnceThenRepeatsAndAStopEndsItWithoutAnEvent)
{
    OpenOn({}, 5);
    ASSERT_TRUE(worker_.StartMonitoring());
    EXPECT_FALSE(worker_.StartRead());   // a task runs
    // identity, 7, 13, 20, 12, 14, then the first primary value and current
    ASSERT_TRUE(worker_.WaitUntil([&] { return worker_.dataChanges >= 8; }));
    worker_.StopThread();

    EXPECT_EQ(worker_.State(), SensorHartInterface::kReady);
    EXPECT_EQ(worker_.events, 0);
    const auto commands = Commands();
    ASSERT_GE(commands.size(), 8u);
    EXPECT_EQ(std::vector<std::uint8_t>(commands.begin(), commands.begin() + 8),
              (std::vector<std::uint8_t>{0, 7, 13, 20, 12, 14, 1, 2}));
    for (std::size_t i = 8; i < commands.size(); ++i)
        EXPECT_EQ(commands[i], i % 2 == 0 ? 1 : 2);
    const HartParameters p = Params();
    EXPECT_EQ(Utf8(p.primaryValue), "4.50 ppm");
    EXPECT_EQ(p.longTag.text, "Boiler room 2");

    // Ready again: the next task may start.
    EXPECT_TRUE(worker_.StartRead());
    RunToEvent();
    EXPECT_EQ(worker_.events, 1);
}

// A stop request is seen by the next step, wherever the task is, and a
// request not yet on the line when the stop comes is not sent at all.
TEST_F(HartWorkerTest, StopEndsTheTaskAtTheNextStepWithoutAnEvent)
{
    struct Case {
        const char* name;
        std::uint32_t task;
        std::uint8_t address;
        int stopAfterProgress;
        int stopAfterDataChanges;
        std::vector<std::uint8_t> commands;
    };
    const std::vector<Case> cases = {
        // Stopped while address 2 is announced: its request never goes out.
        {"search, at address 2", SensorHartInterface::kReadingAll, 255, 2, 0, {0, 0}},
        {"read all, after the tag", SensorHartInterface::kReadingAll, 5, -1, 3, {0, 7, 13}},
        {"monitoring, after the transducer", SensorHartInterface::kMonitoring, 5, -1, 6, {0, 7, 13, 20, 12, 14}},
        {"loop current, after identity", SensorHartInterface::kLoopCurrent, 5, -1, 1, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualTime time;
        RecordingWorker worker;
        worker.SetTimeSource(&time);
        worker.stopAfterProgress = c.stopAfterProgress;
        worker.stopAfterDataChanges = c.stopAfterDataChanges;
        auto owned = std::make_unique<FieldDeviceLine>(time, FieldDeviceLine::Device{});
        FieldDeviceLine* line = owned.get();
        ASSERT_TRUE(worker.Open(std::move(owned), c.address));
        if (c.task == SensorHartInterface::kReadingAll)
            ASSERT_TRUE(worker.StartRead());
        else if (c.task == SensorHartInterface::kMonitoring)
            ASSERT_TRUE(worker.StartMonitoring());
        else
            ASSERT_TRUE(worker.StartLoopCurrent(1, 12.5f));
        ASSERT_TRUE(worker.WaitForState(SensorHartInterface::kReady));
        worker.StopThread();
        EXPECT_EQ(worker.events, 0);
        EXPECT_TRUE(worker.addresses.empty());
        std::vector<std::uint8_t> commands;
        for (const Request& r : line->Requests())
            commands.push_back(r.command);
        EXPECT_EQ(commands, c.commands);
        EXPECT_FALSE(line->Fixed());
    }
}

TEST_F(HartWorkerTest, LoopCurrentSendsTheCurrentOrZeroToRelease)
{
    struct Case {
        std::uint32_t enable;
        float current;
        const char* data;        // command 40 request data
        bool fixed;
        const char* shown;
    };
    const std::vector<Case> cases = {
        {1, 12.5f, "41 48 00 00", true, "12.5 мА"},
        {0, 12.5f, "00 00 00 00", false, "4.72 мА"},
        {1, 20.0f, "41 A0 00 00", true, "20.0 мА"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        VirtualTime time;
        RecordingWorker worker;
        worker.SetTimeSource(&time);
        auto owned = std::make_unique<FieldDeviceLine>(time, FieldDeviceLine::Device{});
        FieldDeviceLine* line = owned.get();
        ASSERT_TRUE(worker.Open(std::move(owned), 5));
        ASSERT_TRUE(worker.StartLoopCurrent(c.enable, c.current));
        ASSERT_TRUE(worker.WaitForEvent());
        worker.StopThread();

        EXPECT_EQ(worker.State(), SensorHartInterface::kReady);
        EXPECT_EQ(worker.events, 1);
        const auto requests = line->Requests();
        ASSERT_EQ(requests.size(), 3u);
        EXPECT_EQ(requests[0].command, 0);
        EXPECT_EQ(requests[2].command, 2);
        // The whole frame: preambles, long address, command 40, four data bytes, check.
        Bytes frame = HexBytes("82 8A 51 00 00 2B 28 04") + HexBytes(c.data);
        frame.push_back(Xor(frame, 0));
        EXPECT_EQ(ToHex(line->Written()[1]), ToHex(Bytes(5, 0xFF) + frame));
        EXPECT_EQ(line->Fixed(), c.fixed);
        HartParameters p;
        worker.CopyHartParameters(p);
        EXPECT_EQ(Utf8(p.outputCurrent), c.shown);
    }
}

TEST_F(HartWorkerTest, RefusedFixedCurrentFailsTheTask)
{
    FieldDeviceLine::Device multidrop;
    multidrop.fixedCurrentRefusal = 11;   // loop current not active
    OpenOn(multidrop, 5);
    // The engine's own way: arguments, state, thread.
    worker_.SetFixedCurrentArgs(1, 8.0f);
    worker_.ForceState(SensorHartInterface::kLoopCurrent);
    worker_.StartThread();
    RunToEvent();
    EXPECT_EQ(worker_.State(), SensorHartInterface::kNoAnswer);
    EXPECT_EQ(worker_.events, 1);
    // A refusal is the device's answer: not retried, and no current read after it.
    EXPECT_EQ(Commands(), (std::vector<std::uint8_t>{0, 40}));
}

TEST(HartWorkerOpen, StatesOfOpenCloseAndRefusedStarts)
{
    VirtualTime time;
    RecordingWorker worker;
    worker.SetTimeSource(&time);
    EXPECT_EQ(worker.State(), SensorHartInterface::kClosed);
    EXPECT_FALSE(worker.StartRead());
    EXPECT_FALSE(worker.StartMonitoring());
    EXPECT_FALSE(worker.StartLoopCurrent(1, 10.0f));

    EXPECT_FALSE(worker.Open(0, 255));
    EXPECT_EQ(worker.State(), SensorHartInterface::kNoPort);
    EXPECT_FALSE(worker.StartRead());

    EXPECT_FALSE(worker.Open(std::unique_ptr<IConnector>(), 255));
    EXPECT_EQ(worker.State(), SensorHartInterface::kOpenFailed);
    EXPECT_FALSE(worker.StartRead());

    // A full read, then a new open empties the record and keeps only the address.
    ASSERT_TRUE(worker.Open(std::make_unique<FieldDeviceLine>(time, FieldDeviceLine::Device{}), 5));
    ASSERT_TRUE(worker.StartRead());
    ASSERT_TRUE(worker.WaitForEvent());
    worker.StopThread();
    HartParameters p;
    worker.CopyHartParameters(p);
    EXPECT_EQ(p.message.valid, 1u);
    auto owned = std::make_unique<FieldDeviceLine>(time, FieldDeviceLine::Device{});
    ASSERT_TRUE(worker.Open(std::move(owned), 17));
    worker.CopyHartParameters(p);
    HartParameters expected;
    expected.pollingAddress.Store(17);
    EXPECT_EQ(p, expected);
    EXPECT_EQ(worker.State(), SensorHartInterface::kReady);

    ASSERT_TRUE(worker.Open(std::make_unique<FieldDeviceLine>(time, FieldDeviceLine::Device{}), 255));
    worker.CopyHartParameters(p);
    EXPECT_EQ(p, HartParameters{});

    worker.Close();
    EXPECT_EQ(worker.State(), SensorHartInterface::kClosed);
    EXPECT_FALSE(worker.StartRead());
    EXPECT_EQ(worker.notices, 0);
}

} // namespace
