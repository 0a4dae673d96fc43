#include "Simulator.h"

#include <algorithm>

Simulator::Simulator(Options options)
    : options_(std::move(options)),
      multigas_(std::make_shared<MultigasState>()),
      detector_(std::make_unique<DetectorDevice>(multigas_)),
      rack_(std::make_unique<MultigasRack>(multigas_))
#ifdef KORVAN_SIM_HAS_HART
      , hart_(std::make_unique<HartDevice>())
#endif
{
    wide_[static_cast<int>(Line::Device)] = std::make_unique<LineWideFault>(*detector_);
    if (HartLine() != nullptr)
        wide_[static_cast<int>(Line::Hart)] = std::make_unique<LineWideFault>(*HartLine());
    wide_[static_cast<int>(Line::Multigas)] = std::make_unique<LineWideFault>(*rack_);
    if (!options_.scenarioFile.empty())
        Apply(Scenario::FromFile(options_.scenarioFile));
    else
        Apply(Scenario::FromText(options_.scenarioText.empty() ? DefaultScenario() : options_.scenarioText,
            options_.scenarioText.empty() ? "<built-in scenario>" : "<scenario text>"));
}

Simulator::~Simulator()
{
    Stop();
}

const char* Simulator::DefaultScenario()
{
    return "# A semiconductor sensor in a detector with both journals partly filled.\n"
           "[detector]\n"
           "kind = Semi\n"
           "modbus_id = 1\n"
           "[journal]\n"
           "event_capacity = 100\n"
           "event_first = 90\n"
           "event_last = 10\n"
           "threshold_capacity = 60\n"
           "threshold_first = 0\n"
           "threshold_last = 40\n"
           "[multigas]\n"
           "sets = 2\n";
}

void Simulator::Apply(const Scenario& scenario)
{
    std::vector<Scenario::Entry> entries = scenario.Entries();
    // The sensor kind resets every setting of the sensor, and the number of
    // sets bounds the set keys: both go first, wherever they stand.
    std::stable_partition(entries.begin(), entries.end(), [](const Scenario::Entry& e) {
        return (e.section == "detector" && e.key == "kind") || (e.section == "multigas" && e.key == "sets");
    });
    int lastJournalLine = 0;
    for (const Scenario::Entry& e : entries) {
        std::string error;
        if (e.section == "detector" || e.section == "journal") {
            error = detector_->ApplySetting(e.section, e.key, e.value);
            if (e.section == "journal")
                lastJournalLine = std::max(lastJournalLine, e.line);
        } else if (e.section == "multigas") {
            error = rack_->ApplySetting(e.key, e.value);
        } else if (e.section == "faults") {
            error = ArmFault(e.key, e.value);
        } else if (e.section == "hart") {
#ifdef KORVAN_SIM_HAS_HART
            if (!hart_->ApplyScenarioKey(e.key, e.value))
                error = "unknown key or bad value \"" + e.key + " = " + e.value + "\" in [hart]";
#else
            notes_.push_back(scenario.Name() + ":" + std::to_string(e.line) + ": [hart] " + e.key
                + " ignored: this build has no HART device");
#endif
        }
        if (!error.empty())
            throw ScenarioError(scenario.Name(), e.line, error);
    }
#ifdef KORVAN_SIM_HAS_HART
    // One detector: the HART address the sensor reports is the one its HART
    // side answers at, unless the scenario says otherwise on purpose.
    const bool hartAddressGiven = std::any_of(entries.begin(), entries.end(), [](const Scenario::Entry& e) {
        return e.section == "hart" && e.key == "polling_address";
    });
    if (!hartAddressGiven)
        hart_->ApplyScenarioKey("polling_address", std::to_string(detector_->HartAddress()));
#endif
    const std::string error = detector_->FinishSettings();
    if (!error.empty())
        throw ScenarioError(scenario.Name(), lastJournalLine, error);
}

std::string Simulator::ArmFault(const std::string& target, const std::string& faultText)
{
    if (target.empty())
        return "a fault needs a target (\"*\", a keyword such as @RRIS, F4, F4:2048)";
    std::string error;
    const auto fault = LineFault::Parse(faultText, error);
    if (!fault)
        return error;
    detector_->Faults().Set(target, *fault);
    return {};
}

LineDevice* Simulator::HartLine()
{
#ifdef KORVAN_SIM_HAS_HART
    return hart_.get();
#else
    return nullptr;
#endif
}

void Simulator::Start()
{
    if (running_)
        return;
    auto options = [&](int port, unsigned baud, unsigned bits) {
        SimLine::Options o;
        o.portsFolder = options_.portsFolder;
        o.portNumber = port;
        o.baud = baud;
        o.bitsPerByte = bits;
        o.pace = options_.pace;
        o.answerDelayMs = options_.answerDelayMs;
        o.idleGapMs = options_.idleGapMs;
        return o;
    };
    // The device a line talks to: itself behind the line's own fault, with
    // its record when one is kept; the record shows what the line carried.
    auto device = [&](Line which, const char* name) -> LineDevice& {
        LineDevice& d = *Wide(which);
        if (!transcript_)
            return d;
        recorded_.push_back(std::make_unique<RecordedLineDevice>(d, name, transcript_));
        return *recorded_.back();
    };
    try {
        if (!options_.recordFile.empty())
            transcript_ = std::make_shared<LineTranscript>(options_.recordFile);
        if (options_.devicePort)
            deviceLine_ = std::make_unique<SimLine>(device(Line::Device, "device"), options(*options_.devicePort, 9600, 10));
        if (options_.hartPort && HartLine() != nullptr)
            hartLine_ = std::make_unique<SimLine>(device(Line::Hart, "hart"), options(*options_.hartPort, 1200, 11));
        if (options_.multigasPort)
            multigasLine_ =
                std::make_unique<SimLine>(device(Line::Multigas, "multigas"), options(*options_.multigasPort, 9600, 10));
    } catch (...) {
        Stop();
        throw;
    }
    running_ = true;
}

void Simulator::Stop()
{
    deviceLine_.reset();
    hartLine_.reset();
    multigasLine_.reset();
    recorded_.clear();
    transcript_.reset();
    running_ = false;
}

void Simulator::SetPacing(bool pace)
{
    options_.pace = pace;
    for (auto* l : {deviceLine_.get(), hartLine_.get(), multigasLine_.get()})
        if (l != nullptr)
            l->SetPacing(pace);
}

void Simulator::SetAnswerDelay(unsigned ms)
{
    options_.answerDelayMs = ms;
    for (auto* l : {deviceLine_.get(), hartLine_.get(), multigasLine_.get()})
        if (l != nullptr)
            l->SetAnswerDelay(ms);
}

SimLine* Simulator::Slot(Line which) const
{
    switch (which) {
    case Line::Device:
        return deviceLine_.get();
    case Line::Hart:
        return hartLine_.get();
    case Line::Multigas:
        return multigasLine_.get();
    }
    return nullptr;
}

LineWideFault* Simulator::Wide(Line which) const
{
    return wide_[static_cast<int>(which)].get();
}

bool Simulator::Unplug(Line which)
{
    SimLine* line = Slot(which);
    if (line == nullptr || !SimLine::kCanUnplug)
        return false;
    line->Unplug();
    return true;
}

bool Simulator::Replug(Line which)
{
    SimLine* line = Slot(which);
    if (line == nullptr || !SimLine::kCanUnplug)
        return false;
    line->Replug();
    return true;
}

void Simulator::UnplugAll()
{
    for (Line l : {Line::Device, Line::Hart, Line::Multigas})
        Unplug(l);
}

void Simulator::ReplugAll()
{
    for (Line l : {Line::Device, Line::Hart, Line::Multigas})
        Replug(l);
}

bool Simulator::SetWide(Line which, LineFault::Kind kind, bool on)
{
    LineWideFault* wide = Wide(which);
    if (wide == nullptr)
        return false;
    if (on) {
        LineFault f;
        f.kind = kind;
        wide->Set(f);
        return true;
    }
    wide->Clear(kind);
    return true;
}

bool Simulator::SetSilent(Line which, bool on)
{
    return SetWide(which, LineFault::Kind::Silence, on);
}

bool Simulator::SetGarbage(Line which, bool on)
{
    return SetWide(which, LineFault::Kind::GarbageOnly, on);
}

bool Simulator::Silent(Line which) const
{
    const LineWideFault* wide = Wide(which);
    const auto armed = wide != nullptr ? wide->Armed() : std::nullopt;
    return armed && armed->kind == LineFault::Kind::Silence;
}

bool Simulator::Garbage(Line which) const
{
    const LineWideFault* wide = Wide(which);
    const auto armed = wide != nullptr ? wide->Armed() : std::nullopt;
    return armed && armed->kind == LineFault::Kind::GarbageOnly;
}
