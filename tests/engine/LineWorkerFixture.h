#pragma once

// The line worker against the simulated detector on a pseudo-terminal, in
// real time, with its notifications recorded.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "NotificationIds.h"
#include "SensorModbusInterface.h"
#include "Simulator.h"
#include "TestPorts.h"

// A line worker whose notification operations record what they raise.
class RecordingWorker : public SensorModbusInterface {
public:
    struct Note {
        std::uint32_t id;
        std::uint32_t count;
    };

    void NotifyTaskEvent() override { Add(NotificationId::LineTaskEvent); }
    void NotifySensorParametersChanged() override { Add(NotificationId::SensorParametersChanged); }
    void NotifyDeviceParametersChanged() override { Add(NotificationId::DeviceParametersChanged); }
    void NotifyEventJournalStatus() override { Add(NotificationId::EventJournalStatus); }
    void NotifyEventJournalData() override { Add(NotificationId::EventJournalData); }
    void NotifyThresholdJournalStatus() override { Add(NotificationId::ThresholdJournalStatus); }
    void NotifyThresholdJournalData() override { Add(NotificationId::ThresholdJournalData); }
    void NotifyMeasurementsChanged() override { Add(NotificationId::MeasurementsChanged); }
    void NotifySensorLogChanged(std::uint32_t count) override { Add(NotificationId::SensorLogChanged, count); }
    void NotifyTerminalLogChanged(std::uint32_t count) override { Add(NotificationId::TerminalLogChanged, count); }
    void NotifyMeasurementFileFailed() override { Add(NotificationId::MeasurementFileFailed); }
    void NotifyCalibrationNotSent() override { Add(NotificationId::CalibrationNotSent); }

    std::size_t Count(std::uint32_t id) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::size_t n = 0;
        for (const Note& note : notes_)
            n += note.id == id ? 1 : 0;
        return n;
    }

    std::vector<Note> Notes() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return notes_;
    }

    // Waits until `id` has been raised at least `count` times; false on
    // time-out (the test then fails instead of hanging).
    bool WaitFor(std::uint32_t id, std::size_t count = 1, int timeoutMs = 20000) const
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
            std::size_t n = 0;
            for (const Note& note : notes_)
                n += note.id == id ? 1 : 0;
            return n >= count;
        });
    }

    void ClearNotes()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        notes_.clear();
    }

private:
    void Add(std::uint32_t id, std::uint32_t count = 0)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            notes_.push_back({id, count});
        }
        cv_.notify_all();
    }

    mutable std::mutex mutex_;
    mutable std::condition_variable cv_;
    std::vector<Note> notes_;
};

// The simulator serving COM1 in a temporary config folder, and a worker on it.
class LineWorkerTest : public ::testing::Test {
protected:
    static constexpr int kDevicePort = 1;

    void StartSim(const std::string& scenario, bool pace = false, unsigned answerDelayMs = 0)
    {
        Simulator::Options o;
        o.portsFolder = home_.PortsFolder();
        o.devicePort = kDevicePort;
        o.scenarioText = scenario;
        o.pace = pace;
        o.answerDelayMs = answerDelayMs;
        sim_ = std::make_unique<Simulator>(o);
        sim_->Start();
        worker_ = std::make_unique<RecordingWorker>();
        worker_->SetPasswords("47093518", "680429");
        ASSERT_TRUE(worker_->Open(kDevicePort, true));
        ASSERT_EQ(worker_->State(), SensorModbusInterface::kReady);
    }

    void TearDown() override
    {
        if (worker_)
            worker_->Close();
        worker_.reset();
        if (sim_)
            sim_->Stop();
    }

    // What the detector received, one entry per request: text commands as
    // sent, Modbus frames as "F<function>:<start register>x<count>".
    std::vector<std::string> Received() const
    {
        std::vector<std::string> out;
        for (const auto& e : sim_->Detector().Received().Entries()) {
            if (!e.frame) {
                out.push_back(e.text);
                continue;
            }
            const auto& b = e.bytes;
            if (b.size() >= 6) {
                char text[48];
                std::snprintf(text, sizeof text, "F%u:%ux%u", b[1], (b[2] << 8) | b[3], (b[4] << 8) | b[5]);
                out.push_back(text);
            }
        }
        return out;
    }

    // The keywords of the text commands received (password and values cut off).
    std::vector<std::string> Keywords() const
    {
        std::vector<std::string> out;
        for (const std::string& r : Received())
            out.push_back(r.substr(0, r.find(' ')));
        return out;
    }

    void ClearReceived() { sim_->Detector().Received().Clear(); }

    // Runs a started task to its 4124; false when it never came.
    bool AwaitTaskEvent(std::size_t count = 1, int timeoutMs = 30000)
    {
        return worker_->WaitFor(NotificationId::LineTaskEvent, count, timeoutMs);
    }

    TempConfigHome home_;
    std::unique_ptr<Simulator> sim_;
    std::unique_ptr<RecordingWorker> worker_;
};
