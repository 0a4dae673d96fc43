#include "DetectorDevice.h"

#include <algorithm>

#include "RtuFrame.h"

DetectorDevice::DetectorDevice(std::shared_ptr<MultigasState> multigas)
    : multigas_(multigas ? std::move(multigas) : std::make_shared<MultigasState>()), sensor_(multigas_)
{
    // The detector shows what its sensor measures; the registers ask the
    // sensor under the lock the caller already holds.
    registers_.concentration = [this](double s) { return static_cast<float>(sensor_.Concentration(s)); };
    registers_.sensorAnalyte = [this] { return sensor_.Parameter("CA"); };
    registers_.sensorUnits = [this] { return sensor_.Parameter("UT"); };
}

double DetectorDevice::Seconds() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

std::string DetectorDevice::ApplySetting(const std::string& section, const std::string& key, const std::string& value)
{
    std::lock_guard lock(mutex_);
    std::string error;
    if (section == "journal") {
        error = registers_.ApplyJournalSetting(key, value);
    } else if (section == "detector") {
        error = sensor_.ApplySetting(key, value, Seconds());
        if (error == "?")
            error = registers_.ApplySetting(key, value, Seconds());
    } else {
        return "no such section for the detector";
    }
    if (error == "?")
        return "unknown key \"" + key + "\" in [" + section + "]";
    return error;
}

std::string DetectorDevice::FinishSettings()
{
    std::lock_guard lock(mutex_);
    return registers_.GenerateJournals(Seconds());
}

void DetectorDevice::Feed(const std::uint8_t* data, std::size_t length, std::vector<SimAnswer>& answers)
{
    std::unique_lock lock(mutex_);
    buffer_.insert(buffer_.end(), data, data + length);
    const std::uint8_t unit = sensor_.ModbusId();
    while (!buffer_.empty()) {
        const std::uint8_t b0 = buffer_[0];
        const bool ours = b0 == unit || b0 == 0;
        if (ours && RtuFrame::StartsWithRequest(buffer_)) {
            const std::vector<std::uint8_t> frame = RtuFrame::TakeRequest(buffer_);
            lock.unlock();
            HandleFrame(frame, answers);
            lock.lock();
            continue;
        }
        if (b0 == '@') {
            static const std::uint8_t crlf[] = {'\r', '\n'};
            const auto end = std::search(buffer_.begin(), buffer_.end(), std::begin(crlf), std::end(crlf));
            if (end != buffer_.end()) {
                const std::string line(buffer_.begin(), end);
                buffer_.erase(buffer_.begin(), end + 2);
                lock.unlock();
                HandleLine(line, answers);
                lock.lock();
                continue;
            }
            if (buffer_.size() > kMaxLine) {
                // Longer than any command: noise that happened to start with "@".
                buffer_.erase(buffer_.begin());
                continue;
            }
            break;
        }
        if (ours && buffer_.size() < RtuFrame::kRequestLength)
            break;
        buffer_.erase(buffer_.begin());
    }
}

void DetectorDevice::LineIdle()
{
    std::lock_guard lock(mutex_);
    buffer_.clear();
}

void DetectorDevice::HandleLine(const std::string& line, std::vector<SimAnswer>& answers)
{
    received_.AddText(line);
    const std::string keyword = line.substr(0, std::min<std::size_t>(5, line.size()));
    const auto fault = faults_.Take({keyword, "text", "*"});
    if (fault && fault->kind == LineFault::Kind::Silence) {
        answers.emplace_back();
        return;
    }
    std::optional<std::string> text;
    {
        std::lock_guard lock(mutex_);
        text = sensor_.Answer(line, Seconds());
    }
    if (!text) {
        answers.emplace_back();
        return;
    }
    std::vector<std::uint8_t> bytes(text->begin(), text->end());
    bytes.push_back('\r');
    bytes.push_back('\n');
    answers.push_back(ShapedAnswer(fault, std::move(bytes), false));
}

void DetectorDevice::HandleFrame(const std::vector<std::uint8_t>& frame, std::vector<SimAnswer>& answers)
{
    received_.AddFrame(frame);
    const RtuFrame::Request r = RtuFrame::Decode(frame);
    const std::string fn = "F" + std::to_string(r.function);
    const auto fault = faults_.Take({fn + ":" + std::to_string(r.address), fn, "modbus", "*"});
    answers.push_back(RtuFrame::Serve(r, fault, [&]() -> std::vector<std::uint8_t> {
        std::lock_guard lock(mutex_);
        if (r.function == 4) {
            const auto read = registers_.Read(r.address, r.word, Seconds());
            return read.exception != 0 ? RtuFrame::Exception(r.unit, r.function, read.exception)
                                       : RtuFrame::ReadAnswer(r.unit, r.function, read.data);
        }
        if (r.function == 6) {
            const std::uint8_t e = registers_.Write(r.address, r.word, Seconds());
            return e != 0 ? RtuFrame::Exception(r.unit, r.function, e) : frame;
        }
        return RtuFrame::Exception(r.unit, r.function, RtuFrame::kIllegalFunction);
    }));
}

int DetectorDevice::Kind() const
{
    std::lock_guard lock(mutex_);
    return sensor_.Kind();
}

std::string DetectorDevice::Parameter(const std::string& code) const
{
    std::lock_guard lock(mutex_);
    return sensor_.Parameter(code);
}

void DetectorDevice::SetParameter(const std::string& code, const std::string& value)
{
    std::lock_guard lock(mutex_);
    sensor_.SetParameter(code, value);
}

std::string DetectorDevice::FactoryParameter(const std::string& code) const
{
    std::lock_guard lock(mutex_);
    return sensor_.FactoryParameter(code);
}

std::uint8_t DetectorDevice::UnitAddress() const
{
    std::lock_guard lock(mutex_);
    return sensor_.ModbusId();
}

std::uint8_t DetectorDevice::HartAddress() const
{
    std::lock_guard lock(mutex_);
    return sensor_.HartAddress();
}

std::string DetectorDevice::CalibrationPassword() const
{
    std::lock_guard lock(mutex_);
    return sensor_.CalibrationPassword();
}

std::string DetectorDevice::ManufacturerPassword() const
{
    std::lock_guard lock(mutex_);
    return sensor_.ManufacturerPassword();
}

void DetectorDevice::SetPasswords(const std::string& calibration, const std::string& manufacturer)
{
    std::lock_guard lock(mutex_);
    sensor_.SetPasswords(calibration, manufacturer);
}

void DetectorDevice::SetErrorWord(const std::string& code, const std::string& word)
{
    std::lock_guard lock(mutex_);
    sensor_.SetErrorWord(code, word);
}

double DetectorDevice::ConcentrationNow() const
{
    std::lock_guard lock(mutex_);
    return sensor_.ConcentrationMean(Seconds());
}

std::size_t DetectorDevice::LogLinesLeft() const
{
    std::lock_guard lock(mutex_);
    return sensor_.LogLinesLeft();
}

std::uint32_t DetectorDevice::ClockNow() const
{
    std::lock_guard lock(mutex_);
    return registers_.Clock(Seconds());
}

double DetectorDevice::Threshold1() const
{
    std::lock_guard lock(mutex_);
    return registers_.Threshold1();
}

double DetectorDevice::Threshold2() const
{
    std::lock_guard lock(mutex_);
    return registers_.Threshold2();
}

std::uint8_t DetectorDevice::SoundMode() const
{
    std::lock_guard lock(mutex_);
    return registers_.SoundMode();
}

std::uint8_t DetectorDevice::O2Flag() const
{
    std::lock_guard lock(mutex_);
    return registers_.O2Flag();
}

std::uint8_t DetectorDevice::EcoMode() const
{
    std::lock_guard lock(mutex_);
    return registers_.EcoMode();
}

RingJournal DetectorDevice::EventJournal() const
{
    std::lock_guard lock(mutex_);
    return registers_.EventJournal();
}

RingJournal DetectorDevice::ThresholdJournal() const
{
    std::lock_guard lock(mutex_);
    return registers_.ThresholdJournal();
}

std::size_t DetectorDevice::BufferedBytes() const
{
    std::lock_guard lock(mutex_);
    return buffer_.size();
}
