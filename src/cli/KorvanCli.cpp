#include "KorvanCli.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <functional>
#include <iostream>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "CliOs.h"
#include "ComPortPath.h"
#include "ConsolePoster.h"
#include "Cp1251.h"
#include "CsvFiles.h"
#include "Engine.h"
#include "InfoRecords.h"
#include "JournalEntryText.h"
#include "MeasurementFile.h"
#include "NotificationIds.h"

#ifndef KORVAN_VERSION_TEXT
#define KORVAN_VERSION_TEXT "0.0.0"
#endif

namespace KorvanCli {
namespace {

using Line = SensorModbusInterface;
using Hart = SensorHartInterface;
using json = nlohmann::ordered_json;

constexpr const char* kDefaultManufacturerPassword = "47093518";
constexpr const char* kDefaultCalibrationPassword = "680429";
constexpr int kDefaultMgCount = 10;
// No engine activity may take longer than this without a notification.
constexpr int kActivityTimeoutMs = 120000;
constexpr WindowHandle kConsole{1};

struct PortOptions {
    int devicePort = -1;
    int hartPort = -1;
    int mgPort = -1;
    int mgCount = -1;
    std::string passwordFile;
};

void Say(const std::string& utf8)
{
    std::fprintf(stderr, "korvan: %s\n", utf8.c_str());
    std::fflush(stderr);
}

int StoredInt(const char* key, int fallback)
{
    const std::string text = CliOs::StoredSetting("Connection", key);
    if (text.empty())
        return fallback;
    try {
        std::size_t used = 0;
        const int v = std::stoi(text, &used);
        return used == text.size() ? v : fallback;
    } catch (...) {
        return fallback;
    }
}

// The engine with its console window: every activity is started, then the
// notifications are taken and the event steps run on this thread until the
// activity ends.
class Session {
public:
    explicit Session(const PortOptions& o) : engine_(&poster_)
    {
        for (std::uint32_t id = NotificationId::ModeChanged; id <= NotificationId::HartProgress; ++id)
            engine_.Register(kConsole, id);
        for (std::uint32_t id = NotificationId::LineTaskEvent; id <= NotificationId::LineLinkChanged; ++id)
            engine_.Register(kConsole, id);
        engine_.Register(kConsole, NotificationId::HartLinkChanged);
        engine_.modbusPort = o.devicePort >= 0 ? o.devicePort : StoredInt("ModbusPort", 0);
        engine_.hartPort = o.hartPort >= 0 ? o.hartPort : StoredInt("HartPort", 0);
        engine_.mgPort = o.mgPort >= 0 ? o.mgPort : StoredInt("MgPort", 0);
        engine_.mgCount = o.mgCount >= 1 ? o.mgCount : std::max(StoredInt("MgCount", kDefaultMgCount), 1);
        std::string manufacturer = CliOs::StoredSetting("Words", "Wr");
        std::string calibration = CliOs::StoredSetting("Words", "St");
        if (manufacturer.empty())
            manufacturer = kDefaultManufacturerPassword;
        if (calibration.empty())
            calibration = kDefaultCalibrationPassword;
        passwordFileOk_ = true;
        if (!o.passwordFile.empty()) {
            std::string text;
            if (!CliOs::ReadWholeFile(o.passwordFile, text)) {
                passwordFileOk_ = false;
            } else {
                // The first line; its line end is not part of the word.
                text = text.substr(0, text.find_first_of("\r\n"));
                calibration = text;
            }
        }
        // The sensor compares the bytes it receives, in its own code page.
        engine_.SetPasswords(Cp1251::FromUtf8(manufacturer), Cp1251::FromUtf8(calibration));
        engine_.mode = Engine::kModeIdle;
    }

    ~Session()
    {
        // Ends the workers; a loop current this run fixed is released here
        // too, whatever path led out.
        engine_.StopActivity();
    }

    Engine& engine() { return engine_; }
    bool PasswordFileOk() const { return passwordFileOk_; }

    // Runs the event steps until `done` holds. `onMessage` sees every
    // notification. Returns false on an interrupt or when nothing has
    // happened for a long time.
    bool Pump(const std::function<bool()>& done, const std::function<void(const ConsolePoster::Message&)>& onMessage = {})
    {
        auto last = std::chrono::steady_clock::now();
        while (!done()) {
            if (CliOs::Interrupted())
                return false;
            ConsolePoster::Message m;
            if (!poster_.Take(m, 100)) {
                if (std::chrono::steady_clock::now() - last > std::chrono::milliseconds(kActivityTimeoutMs))
                    return false;
                continue;
            }
            last = std::chrono::steady_clock::now();
            if (m.id == NotificationId::LineTaskEvent)
                engine_.OnLineWorkerEvent();
            else if (m.id == NotificationId::HartEvent)
                engine_.OnHartWorkerEvent();
            else
                SayLineLink(m);
            if (onMessage)
                onMessage(m);
        }
        return true;
    }

    // The next notification, waiting up to `timeoutMs`, for loops that run
    // the event steps themselves.
    bool Take(ConsolePoster::Message& m, int timeoutMs)
    {
        if (!poster_.Take(m, timeoutMs))
            return false;
        SayLineLink(m);
        return true;
    }

    // A line lost under a poll, waited for, or back: said as the window's
    // page says it.
    void SayLineLink(const ConsolePoster::Message& m)
    {
        if (m.id == NotificationId::LineLinkChanged || m.id == NotificationId::HartLinkChanged)
            Say((m.id == NotificationId::LineLinkChanged ? engine_.CopyLineLink() : engine_.CopyHartLink()).text);
    }

    bool PumpUntilIdle(const std::function<void(const ConsolePoster::Message&)>& onMessage = {})
    {
        return Pump([this] { return engine_.mode == Engine::kModeIdle; }, onMessage);
    }

private:
    ConsolePoster poster_;
    Engine engine_;
    bool passwordFileOk_ = true;
};

// Why the device line did not serve, as an exit code and a message; 0 when
// it did.
int LineFailure(Engine& e)
{
    switch (e.LineState()) {
    case Line::kNoPort:
        Say("порт прибора не задан (--device-port или настройки программы: " + CliOs::SettingsLocation() + ")");
        return kExitPort;
    case Line::kPortUnavailable:
        Say("порт прибора COM" + std::to_string(e.modbusPort) + " (" + ComPortPath(e.modbusPort) +
            ") не открывается: его нет, он занят или нет прав доступа");
        return kExitPort;
    case Line::kFailed:
        Say("прибор на порту COM" + std::to_string(e.modbusPort) + " не отвечает");
        return kExitSilent;
    default:
        return 0;
    }
}

int HartFailure(Engine& e)
{
    switch (e.HartState()) {
    case Hart::kNoPort:
        Say("порт HART-модема не задан (--hart-port или настройки программы: " + CliOs::SettingsLocation() + ")");
        return kExitPort;
    case Hart::kOpenFailed:
        Say("порт HART-модема COM" + std::to_string(e.hartPort) + " (" + ComPortPath(e.hartPort) +
            ") не открывается: его нет, он занят или нет прав доступа");
        return kExitPort;
    case Hart::kNoAnswer:
        Say("HART-устройство не отвечает");
        return kExitSilent;
    default:
        return 0;
    }
}

int Interrupted()
{
    Say("прервано");
    return kExitInterrupted;
}

// --- ports -------------------------------------------------------------------

int CmdPorts(const PortOptions& o)
{
    struct Entry {
        const char* label;
        int port;
    };
    const int device = o.devicePort >= 0 ? o.devicePort : StoredInt("ModbusPort", 0);
    const int hart = o.hartPort >= 0 ? o.hartPort : StoredInt("HartPort", 0);
    const int mg = o.mgPort >= 0 ? o.mgPort : StoredInt("MgPort", 0);
    const int mgCount = o.mgCount >= 1 ? o.mgCount : std::max(StoredInt("MgCount", kDefaultMgCount), 1);
    std::cout << "Настройки: " << CliOs::SettingsLocation() << "\n";
    for (const Entry& e : {Entry{"Порт прибора", device}, Entry{"Порт HART-модема", hart}, Entry{"Порт мультигаза", mg}}) {
        std::cout << e.label << ": ";
        if (e.port < 1)
            std::cout << "не задан\n";
        else
            std::cout << "COM" << e.port << " -> " << ComPortPath(e.port) << (ComPortIsLinked(e.port) ? " (ссылка)" : "")
                      << "\n";
    }
    std::cout << "Наборов мультигаза: " << mgCount << "\n";
    const std::vector<std::string> found = CliOs::SerialPortsFound();
    std::cout << "Найденные последовательные порты:";
    if (found.empty())
        std::cout << " нет";
    std::cout << "\n";
    for (const std::string& p : found)
        std::cout << "  " << p << "\n";
    return kExitDone;
}

// --- info --------------------------------------------------------------------

// Connects as the desktop tool's first connection does: all sensor and
// detector values, then the HART identity when the sensor names its address.
int Connect(Session& s)
{
    Engine& e = s.engine();
    if (e.Connect() == 0) {
        const int failure = LineFailure(e);
        return failure != 0 ? failure : kExitSilent;
    }
    const bool ended = s.Pump([&] { return e.mode != Engine::kModeConnecting; });
    if (!ended)
        return CliOs::Interrupted() ? Interrupted() : (Say("нет ответа от программы связи"), kExitSilent);
    if (e.mode != Engine::kModeConnected) {
        const int failure = LineFailure(e);
        return failure != 0 ? failure : kExitSilent;
    }
    return kExitDone;
}

json CollectInfo(Session& s)
{
    Engine& e = s.engine();
    SensorParameters sensor;
    DeviceParameters device;
    HartParameters hart;
    e.CopySensorParameters(sensor);
    e.CopyDeviceParameters(device);
    e.CopyHartParameters(hart);
    return InfoRecords::Json(sensor, device, hart, e.HartState() == Hart::kReady || e.HartState() == Hart::kMonitoring);
}

int CmdInfo(const PortOptions& o, bool asJson)
{
    Session s(o);
    const int rc = Connect(s);
    if (rc != kExitDone)
        return rc;
    const json info = CollectInfo(s);
    s.engine().StopActivity();
    if (asJson)
        std::cout << info.dump(2) << "\n";
    else
        std::cout << InfoRecords::Text(info);
    return kExitDone;
}

// --- journal -----------------------------------------------------------------

struct JournalKind {
    Line::Journal which;
    std::uint32_t statusId;
    int mode;
    const char* title;
};

JournalKind Kind(const std::string& name)
{
    if (name == "events")
        return {Line::Journal::Event, NotificationId::EventJournalStatus, Engine::kModeEventJournal, "журнал событий"};
    return {Line::Journal::Threshold, NotificationId::ThresholdJournalStatus, Engine::kModeThresholdJournal,
            "журнал порогов"};
}

class Progress {
public:
    explicit Progress(bool bar) : bar_(bar) {}
    void Show(std::uint32_t read, std::uint32_t expected)
    {
        const int percent = expected == 0 ? 100 : static_cast<int>(std::min<std::uint64_t>(100, read * 100ull / expected));
        if (percent == last_)
            return;
        last_ = percent;
        if (bar_) {
            const int width = 30;
            const int filled = percent * width / 100;
            std::fprintf(stderr, "\r[%s%s] %3d%% %u/%u", std::string(filled, '#').c_str(),
                         std::string(width - filled, '.').c_str(), percent, read, expected);
        } else {
            std::fprintf(stderr, "%d%%\n", percent);
        }
        std::fflush(stderr);
    }
    void End()
    {
        if (bar_ && last_ >= 0)
            std::fprintf(stderr, "\n");
    }

private:
    bool bar_;
    int last_ = -1;
};

// Reads one journal; `entries` gets what arrived, newest first. Returns the
// exit code of the reading itself.
int ReadJournal(Session& s, const JournalKind& k, std::vector<JournalEntryText>& entries, bool showProgress,
                bool& partial)
{
    Engine& e = s.engine();
    partial = false;
    const int started = k.which == Line::Journal::Event ? e.ReadEventJournal() : e.ReadThresholdJournal();
    if (started == 0) {
        const int failure = LineFailure(e);
        return failure != 0 ? failure : kExitSilent;
    }
    Progress progress(CliOs::StderrIsTerminal());
    const bool ended = s.PumpUntilIdle([&](const ConsolePoster::Message& m) {
        if (showProgress && m.id == k.statusId) {
            JournalReadStatus status{};
            std::uint32_t read = 0, expected = 0;
            e.JournalProgress(k.which, status, read, expected);
            // The reset at the start of a reading carries no count yet.
            if (status != JournalReadStatus::NotRead && expected != 0)
                progress.Show(read, expected);
        }
    });
    int rc = kExitDone;
    if (!ended) {
        // The records read so far stay in the engine's buffer.
        if (k.which == Line::Journal::Event)
            e.AbortEventJournal();
        else
            e.AbortThresholdJournal();
        rc = CliOs::Interrupted() ? kExitInterrupted : kExitSilent;
        partial = true;
    }
    if (showProgress)
        progress.End();
    JournalReadStatus status{};
    std::uint32_t read = 0, expected = 0;
    e.JournalProgress(k.which, status, read, expected);
    SensorJournalContent content;
    if (k.which == Line::Journal::Event)
        e.CopyEventJournal(content);
    else
        e.CopyThresholdJournal(content);
    entries = JournalEntryDecoder::Decode(content);
    if (rc == kExitDone && status == JournalReadStatus::Failed) {
        partial = true;
        const int failure = LineFailure(e);
        rc = failure != 0 ? failure : kExitSilent;
    }
    if (rc == kExitDone && read < expected)
        partial = true;
    return rc;
}

int WriteJournalFile(const std::string& path, const std::vector<JournalEntryText>& entries)
{
    // The order the journal page's list shows and saves by default.
    const FileWriteResult w = CsvFiles::WriteJournalCsv(path, entries, CsvFiles::JournalOrder::NewestFirst);
    if (!w.Ok()) {
        Say("файл " + path + " не записан: " + w.error);
        return kExitFile;
    }
    return kExitDone;
}

int CmdJournal(const PortOptions& o, const std::string& which, const std::string& path)
{
    Session s(o);
    const JournalKind k = Kind(which);
    std::vector<JournalEntryText> entries;
    bool partial = false;
    const int rc = ReadJournal(s, k, entries, true, partial);
    s.engine().StopActivity();
    if (rc == kExitPort)
        return rc;
    if (rc != kExitDone && entries.empty()) {
        if (rc == kExitInterrupted)
            Interrupted();
        return rc;
    }
    const int fileRc = WriteJournalFile(path, entries);
    if (fileRc != kExitDone)
        return fileRc;
    if (partial)
        Say(std::string(k.title) + " прочитан не полностью: в файле " + path + " " + std::to_string(entries.size()) +
            " записей, прочитанных до " + (rc == kExitInterrupted ? "прерывания" : "сбоя"));
    else
        std::cerr << "korvan: " << k.title << ": " << entries.size() << " записей в " << path << "\n";
    if (rc == kExitInterrupted)
        return Interrupted();
    return rc;
}

// --- send --------------------------------------------------------------------

int CmdSend(const PortOptions& o, const std::string& text)
{
    Session s(o);
    Engine& e = s.engine();
    if (e.SendTerminalCommand(Cp1251::FromUtf8(text)) == 0) {
        const int failure = LineFailure(e);
        return failure != 0 ? failure : kExitSilent;
    }
    if (!s.PumpUntilIdle())
        return CliOs::Interrupted() ? Interrupted() : kExitSilent;
    std::vector<SensorTerminalLogRecord> log;
    e.CopyTerminalLog(log);
    const int failure = LineFailure(e);
    if (failure == kExitPort)
        return failure;
    if (log.empty() || log.back().answer.empty()) {
        Say("ответа нет");
        return kExitSilent;
    }
    const std::string answer = Cp1251::ToUtf8(log.back().answer);
    std::cout << answer << "\n";
    // "@NACK …" (command, password, argument) and the error form "@ER…" are
    // the sensor's refusals.
    return answer.rfind("@NACK", 0) == 0 || answer.rfind("@ER", 0) == 0 ? kExitRefused : kExitDone;
}

// --- read / write ------------------------------------------------------------

int CmdRead(const PortOptions& o, int code)
{
    Session s(o);
    Engine& e = s.engine();
    if (!InfoRecords::KnownReadCode(code)) {
        Say("код чтения " + std::to_string(code) + " неизвестен (0 … 34)");
        return kExitUsage;
    }
    if (e.RereadParameter(code) == 0) {
        const int failure = LineFailure(e);
        return failure != 0 ? failure : kExitSilent;
    }
    if (!s.PumpUntilIdle())
        return CliOs::Interrupted() ? Interrupted() : kExitSilent;
    SensorParameters p;
    e.CopySensorParameters(p);
    const InfoRecords::CodeValue v = InfoRecords::ReadCodeValue(p, code);
    if (v.error) {
        std::cout << "ошибка\n";
        return kExitRefused;
    }
    if (!v.valid) {
        const int failure = LineFailure(e);
        Say("датчик не дал значения");
        return failure != 0 ? failure : kExitSilent;
    }
    std::cout << Cp1251::ToUtf8(v.text) << "\n";
    return kExitDone;
}

int CmdWrite(const PortOptions& o, int code, const std::vector<std::string>& values)
{
    Session s(o);
    if (!s.PasswordFileOk()) {
        Say("файл пароля " + o.passwordFile + " не читается");
        return kExitUsage;
    }
    Engine& e = s.engine();
    if (values.empty() || values.size() > 5) {
        Say("нужно от одного до пяти значений");
        return kExitUsage;
    }
    SensorCommandRequest request;
    request.code = code;
    for (std::size_t i = 0; i < values.size(); ++i)
        request.texts[i] = Cp1251::FromUtf8(values[i]);
    if (e.WriteParameter(request) == 0) {
        const int failure = LineFailure(e);
        return failure != 0 ? failure : kExitSilent;
    }
    if (!s.PumpUntilIdle())
        return CliOs::Interrupted() ? Interrupted() : kExitSilent;
    const int failure = LineFailure(e);
    if (failure != 0)
        return failure;
    SensorParameters p;
    e.CopySensorParameters(p);
    const InfoRecords::CodeValue v = InfoRecords::WriteCodeValue(p, code);
    if (v.known && !v.valid) {
        // The sensor checks the password and the value: without an echo the
        // value was not taken.
        Say("датчик не принял значение (неверный пароль или недопустимое значение)");
        return kExitRefused;
    }
    std::cout << (v.known ? Cp1251::ToUtf8(v.text) : std::string("записано")) << "\n";
    return kExitDone;
}

// --- HART --------------------------------------------------------------------

int HartIdentify(Session& s)
{
    Engine& e = s.engine();
    if (e.HartConnect() == 0) {
        const int failure = HartFailure(e);
        return failure != 0 ? failure : kExitSilent;
    }
    if (!s.PumpUntilIdle())
        return CliOs::Interrupted() ? Interrupted() : kExitSilent;
    const int failure = HartFailure(e);
    return failure != 0 ? failure : (e.HartState() == Hart::kReady ? kExitDone : kExitSilent);
}

int CmdHartInfo(const PortOptions& o, bool asJson)
{
    Session s(o);
    const int rc = HartIdentify(s);
    if (rc != kExitDone)
        return rc;
    HartParameters h;
    s.engine().CopyHartParameters(h);
    const json j = InfoRecords::HartJson(h);
    if (asJson)
        std::cout << j.dump(2) << "\n";
    else
        std::cout << InfoRecords::Text(json{{"hart", j}});
    return kExitDone;
}

int CmdLoopCurrent(const PortOptions& o, float currentMa)
{
    if (!(currentMa >= 3.5f && currentMa <= 23.0f)) {
        Say("ток петли задаётся от 3,5 до 23 мА");
        return kExitUsage;
    }
    Session s(o);
    Engine& e = s.engine();
    int rc = HartIdentify(s);
    if (rc != kExitDone)
        return rc;
    if (e.SetHartLoopCurrent(currentMa, 1) == 0) {
        const int failure = HartFailure(e);
        return failure != 0 ? failure : kExitSilent;
    }
    // An interrupt while the fixing command is on the line: the release is
    // taken and sent after it.
    if (!s.PumpUntilIdle() || !e.LoopCurrentFixed() || e.HartState() != Hart::kReady) {
        const bool interrupted = CliOs::Interrupted();
        rc = interrupted ? kExitInterrupted : kExitSilent;
        if (!interrupted)
            Say("ток петли не зафиксирован: устройство не подтвердило команду");
    } else {
        char text[64];
        std::snprintf(text, sizeof text, "%.2f", static_cast<double>(currentMa));
        std::cout << "Ток петли зафиксирован: " << text << " мА. Enter, Ctrl-C или SIGTERM — отпустить." << std::endl;
        rc = CliOs::WaitForEnterOrInterrupt(-1) ? kExitDone : kExitInterrupted;
    }
    // The release, always: the control room must see the real reading again.
    if (e.LoopCurrentFixed()) {
        const bool wasInterrupted = CliOs::Interrupted();
        CliOs::ResetInterrupted();
        if (e.mode != Engine::kModeIdle)
            e.StopActivity();
        if (e.SetHartLoopCurrent(0.0f, 0) != 0)
            s.PumpUntilIdle();
        if (e.LoopCurrentFixed())
            e.StopActivity(); // closing the line tries the release again
        if (wasInterrupted)
            rc = kExitInterrupted;
    }
    if (e.LoopCurrentFixed()) {
        char text[64];
        std::snprintf(text, sizeof text, "%.2f", static_cast<double>(e.FixedLoopCurrent()));
        Say(std::string("ВНИМАНИЕ: устройство не подтвердило отмену фиксированного тока ") + text +
            " мА; ток петли может оставаться фиксированным");
        return kExitSilent;
    }
    std::cout << "Ток петли отпущен." << std::endl;
    if (rc == kExitInterrupted)
        Say("прервано");
    return rc;
}

// --- poll --------------------------------------------------------------------

using Point = SensorCalibrationLoopMeasurementsPoint;
using PointEntry = SensorCalibrationLoopMeasurements::Entry;

constexpr int kMinPollPeriodMs = 100;
constexpr int kMaxPollPeriodMs = 3600000;
constexpr int kMaxPollDurationS = 30 * 24 * 3600;
// A device that gives no point for a period and this much longer is taken
// for silent: every read of a cycle has had its time by then.
constexpr int kPollSilenceMs = 20000;

struct PollOptions {
    int periodMs = CalibrationPollSettings{}.pollPeriodMs;
    int count = 0;
    int durationS = 0;
    std::string reads = "conc";
    std::string file;
};

// The reads of the calibration page by the short names the command line
// takes, in the order the loop runs them.
struct PollRead {
    const char* name;
    std::int32_t CalibrationPollSettings::*flag;
};
constexpr PollRead kPollReads[] = {
    {"conc", &CalibrationPollSettings::readConcentration},
    {"adc", &CalibrationPollSettings::readAdc},
    {"temp", &CalibrationPollSettings::readSensorTemperature},
    {"th", &CalibrationPollSettings::readTh},
    {"rp", &CalibrationPollSettings::readRp},
    {"pv", &CalibrationPollSettings::readPv},
    {"rh", &CalibrationPollSettings::readRh},
    {"pw", &CalibrationPollSettings::readPw},
    {"sh", &CalibrationPollSettings::readSh},
    {"th2", &CalibrationPollSettings::readTh2},
    {"rh2", &CalibrationPollSettings::readRh2},
    {"dw", &CalibrationPollSettings::readDw},
    {"mg", &CalibrationPollSettings::readMultigas},
};

std::string PollReadNames()
{
    std::string names;
    for (const PollRead& r : kPollReads)
        names += (names.empty() ? "" : ", ") + std::string(r.name);
    return names;
}

// Sets the read flags the comma-separated list names; false (and a message)
// on a name it does not know or an empty list.
bool ParsePollReads(const std::string& list, CalibrationPollSettings& s)
{
    std::size_t start = 0;
    bool any = false;
    for (;;) {
        const std::size_t end = list.find(',', start);
        const std::string name = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const PollRead* found = nullptr;
        for (const PollRead& r : kPollReads) {
            if (name == r.name)
                found = &r;
        }
        if (found == nullptr) {
            Say("--read: " + (name.empty() ? std::string("пустое имя") : "неизвестное имя «" + name + "»") +
                "; допустимы: " + PollReadNames());
            return false;
        }
        s.*(found->flag) = 1;
        any = true;
        if (end == std::string::npos)
            return any;
        start = end + 1;
    }
}

// The columns the selected reads fill, in the measurement file's order.
std::vector<std::size_t> PollColumns(const CalibrationPollSettings& s)
{
    std::vector<std::size_t> columns;
    const std::array<bool, Point::kSlots> read = Point::SlotsRead(s);
    for (std::size_t slot = 0; slot < Point::kSlots; ++slot) {
        if (read[slot] && MeasurementFile::SlotInFile(slot))
            columns.push_back(slot);
    }
    return columns;
}

int CmdPoll(const PortOptions& o, const PollOptions& p)
{
    CalibrationPollSettings settings;
    if (!ParsePollReads(p.reads, settings))
        return kExitUsage;
    settings.pollPeriodMs = p.periodMs;
    settings.maxPoints = p.count;
    if (!p.file.empty()) {
        settings.toFile = 1;
        settings.filePath = p.file;
    }
    const std::vector<std::size_t> columns = PollColumns(settings);

    Session s(o);
    Engine& e = s.engine();
    std::uint64_t next = 0;
    std::vector<PointEntry> entries;
    e.CopyMeasurementsFrom(UINT64_MAX, entries, next);
    if (e.SetCalibrationPolling(settings) == 0) {
        const int failure = LineFailure(e);
        return failure != 0 ? failure : kExitSilent;
    }

    std::uint64_t printed = 0;
    bool stdoutLost = false;
    auto print = [&](const std::string& utf8) {
        std::fwrite(utf8.data(), 1, utf8.size(), stdout);
        std::fputc('\n', stdout);
        if (std::fflush(stdout) != 0 || std::ferror(stdout))
            stdoutLost = true;
    };
    // Prints every point not printed yet, in order.
    auto drain = [&]() -> bool {
        std::uint64_t upTo = 0;
        if (e.CopyMeasurementsFrom(next, entries, upTo) == 0)
            return false;
        for (const PointEntry& entry : entries) {
            std::string line = MeasurementFile::TimeText(entry.localTime);
            for (std::size_t slot : columns)
                line += ";" + MeasurementFile::ValueText(entry.point, slot);
            print(line);
            ++printed;
        }
        next = upTo;
        return true;
    };
    // The file's own status: a file that would not open, or a disk that
    // refused a line.
    auto fileFailed = [&] { return settings.toFile != 0 && e.CopyMeasurementFileStatus().failed != 0; };

    int rc = kExitDone;
    if (fileFailed()) {
        rc = kExitFile;
    } else {
        std::string heading = MeasurementFile::TimeHeading();
        for (std::size_t slot : columns)
            heading += ";" + MeasurementFile::SlotHeading(slot);
        print(heading);
        std::string plan = "опрос каждые " + std::to_string(p.periodMs) + " мс";
        if (p.count > 0)
            plan += ", точек: " + std::to_string(p.count);
        else if (p.durationS > 0)
            plan += ", " + std::to_string(p.durationS) + " с";
        Say(plan + (p.file.empty() ? std::string() : "; файл " + p.file) + ". Enter, Ctrl-C или SIGTERM — остановить");

        using Clock = std::chrono::steady_clock;
        const Clock::time_point start = Clock::now();
        Clock::time_point lastPoint = start;
        const auto silence = std::chrono::milliseconds(p.periodMs) + std::chrono::milliseconds(kPollSilenceMs);
        for (;;) {
            if (CliOs::Interrupted()) {
                rc = kExitInterrupted;
                break;
            }
            if (stdoutLost) {
                Say("стандартный вывод закрыт; опрос остановлен");
                rc = kExitFile;
                break;
            }
            if (p.durationS > 0 && Clock::now() - start >= std::chrono::seconds(p.durationS))
                break;
            if (CliOs::WaitForEnterOrInterrupt(0))
                break;
            if (Clock::now() - lastPoint > silence) {
                Say("прибор на порту COM" + std::to_string(e.modbusPort) + " не дал ни одной точки за " +
                    std::to_string(std::chrono::duration_cast<std::chrono::seconds>(silence).count()) + " с");
                rc = kExitSilent;
                break;
            }
            ConsolePoster::Message m;
            if (!s.Take(m, 100))
                continue;
            if (m.id == NotificationId::MeasurementsChanged && drain())
                lastPoint = Clock::now();
            if (m.id == NotificationId::MeasurementFileFailed && fileFailed()) {
                rc = kExitFile;
                break;
            }
            if (m.id == NotificationId::LineTaskEvent) {
                e.OnLineWorkerEvent();
                if (e.mode != Engine::kModeCalibrationPolling) {
                    // The loop ended by itself: all its points are taken, or
                    // the line failed.
                    const int failure = LineFailure(e);
                    if (failure != 0)
                        rc = failure;
                    break;
                }
            }
        }
    }
    // Stopped first, so that no point comes after the last one printed; each
    // one the loop kept is in the file and now on the screen too.
    e.StopActivity();
    drain();
    const SensorModbusInterface::MeasurementFileStatus status = e.CopyMeasurementFileStatus();
    e.StopFileLogging();
    const std::string inFile = p.file.empty() ? std::string()
                                              : "в файле " + p.file + " точек: " + std::to_string(status.pointsWritten);
    if (rc == kExitFile && fileFailed()) {
        if (status.linesLost == 0)
            Say("файл " + p.file +
                " не открывается для записи: папки нет, нет прав на запись или файл занят другой программой");
        else
            Say("файл " + p.file + " не записан: диск заполнен или недоступен; опрос остановлен, " + inFile +
                " (все строки целые)");
        return kExitFile;
    }
    if (!p.file.empty())
        Say(inFile);
    if (rc == kExitInterrupted)
        return Interrupted();
    return rc;
}

// --- report ------------------------------------------------------------------

int CmdReport(const PortOptions& o, const std::string& folder)
{
    if (!CliOs::MakeFolder(folder)) {
        Say("папка " + folder + " не создана");
        return kExitFile;
    }
    Session s(o);
    Engine& e = s.engine();
    std::vector<std::string> failures;
    const int rc = Connect(s);
    if (rc == kExitPort || rc == kExitInterrupted)
        return rc;
    if (rc != kExitDone)
        failures.push_back("подключение: прибор не ответил на все запросы");
    json info = CollectInfo(s);
    e.StopActivity();
    if (info["hart"].is_null()) {
        if (HartIdentify(s) == kExitDone) {
            HartParameters h;
            e.CopyHartParameters(h);
            info["hart"] = InfoRecords::HartJson(h);
        } else {
            failures.push_back("HART: устройство не ответило");
        }
    }
    int fileRc = kExitDone;
    auto writeText = [&](const std::string& name, const std::string& bytes) {
        const FileWriteResult w = WriteFileBytes(folder + "/" + name, bytes);
        if (!w.Ok()) {
            Say("файл " + folder + "/" + name + " не записан: " + w.error);
            fileRc = kExitFile;
        }
    };
    std::vector<std::string> summaryJournals;
    std::vector<JournalEntryText> lastEvents;
    for (const char* which : {"events", "thresholds"}) {
        const JournalKind k = Kind(which);
        std::vector<JournalEntryText> entries;
        bool partial = false;
        const int jr = ReadJournal(s, k, entries, true, partial);
        e.StopActivity();
        if (jr == kExitInterrupted) {
            if (!entries.empty())
                WriteJournalFile(folder + "/" + (k.which == Line::Journal::Event ? CsvFiles::kEventJournalFileName
                                                                                : CsvFiles::kThresholdJournalFileName),
                                 entries);
            return Interrupted();
        }
        if (jr != kExitDone || partial)
            failures.push_back(std::string(k.title) + ": прочитан не полностью");
        if (WriteJournalFile(folder + "/" + (k.which == Line::Journal::Event ? CsvFiles::kEventJournalFileName
                                                                              : CsvFiles::kThresholdJournalFileName),
                             entries) != kExitDone)
            fileRc = kExitFile;
        summaryJournals.push_back(std::string(k.title) + ": " + std::to_string(entries.size()) + " записей" +
                                  (partial ? " (не полностью)" : ""));
        info["journals"][which] = {{"records", entries.size()}, {"complete", !partial && jr == kExitDone}};
        if (k.which == Line::Journal::Event)
            lastEvents = entries;
    }
    // The exchange of this run on the terminal: the sensor's own answer to
    // its identification, as support reads it first.
    e.ClearTerminalLog();
    if (e.SendTerminalCommand("@RRSS") != 0)
        s.PumpUntilIdle();
    e.StopActivity();
    std::vector<SensorTerminalLogRecord> log;
    e.CopyTerminalLog(log);
    writeText(CsvFiles::kTerminalLogFileName, CsvFiles::TerminalLogCsv(log));
    info["failures"] = failures;
    writeText("info.json", info.dump(2) + "\n");
    writeText("summary.txt", InfoRecords::Summary(info, summaryJournals, lastEvents, failures));
    std::cout << "Отчёт записан в " << folder << "\n";
    if (fileRc != kExitDone)
        return fileRc;
    return failures.empty() ? kExitDone : kExitSilent;
}

// The command line's own checks, said in Russian as the rest of korvan.

// A whole number from `lo` to `hi`.
CLI::Validator WholeNumberIn(long long lo, long long hi)
{
    return CLI::Validator(
        [lo, hi](std::string& text) -> std::string {
            const char* begin = text.data();
            const char* end = begin + text.size();
            if (begin != end && *begin == '+')
                ++begin;
            long long value = 0;
            const auto [stop, ec] = std::from_chars(begin, end, value);
            if (begin == end || ec == std::errc::invalid_argument || stop != end)
                return "«" + text + "» — не целое число";
            if (ec == std::errc::result_out_of_range || value < lo || value > hi)
                return "значение " + text + " вне пределов " + std::to_string(lo) + " … " + std::to_string(hi);
            return {};
        },
        "");
}

// One of the given words.
CLI::Validator OneOf(std::vector<std::string> words)
{
    std::string list;
    for (const std::string& w : words)
        list += (list.empty() ? "" : ", ") + w;
    return CLI::Validator(
        [words, list](std::string& text) -> std::string {
            if (std::find(words.begin(), words.end(), text) != words.end())
                return {};
            return "«" + text + "» — допустимо: " + list;
        },
        "");
}

// What the parser found wrong, in Russian. The validators above speak
// Russian already; the parser's own messages are matched by their form, and
// one of another form is passed on as it is.
// `leftover` holds the words the parser took for no command or option: with
// them a "no command" is a command or option the program does not know.
std::string UsageErrorText(const CLI::ParseError& e, const std::vector<std::string>& leftover)
{
    const std::string what = e.what();
    if (what == "A subcommand is required" && !leftover.empty()) {
        const std::string& word = leftover.front();
        return (word.rfind('-', 0) == 0 ? "неизвестный параметр «" : "неизвестная команда «") + word + "»";
    }
    static const std::regex required(R"(^(.+) is required$)");
    static const std::regex extras(R"(^The following arguments? (?:was|were) not expected: (.*)$)");
    static const std::regex convert(R"(^Could not convert: (.+) = (.*)$)");
    static const std::regex notAllowed(R"(^The value (.*) is not an allowed value for (.+)$)");
    static const std::regex noValue(R"(^(.+): [0-9]+ required .* missing$)");
    std::smatch m;
    if (what == "A subcommand is required")
        return "не задана команда";
    if (std::regex_match(what, m, required))
        return "не задан обязательный параметр " + m.str(1);
    if (std::regex_match(what, m, extras))
        return "лишние аргументы: " + m.str(1);
    if (std::regex_match(what, m, convert))
        return m.str(1) + ": «" + m.str(2) + "» — неверное значение";
    if (std::regex_match(what, m, notAllowed))
        return m.str(2) + ": «" + m.str(1) + "» — неверное значение";
    if (std::regex_match(what, m, noValue))
        return m.str(1) + ": не задано значение";
    return what;
}

} // namespace

int Run(int argc, char** argv)
{
    CliOs::PrepareConsole();
    CliOs::InstallInterruptHandlers();

    CLI::App app{"korvan — настройка и проверка газоанализаторов из командной строки", "korvan"};
    app.get_formatter()->label("Usage", "Использование");
    app.get_formatter()->label("OPTIONS", "ПАРАМЕТРЫ");
    app.get_formatter()->label("SUBCOMMAND", "КОМАНДА");
    app.get_formatter()->label("SUBCOMMANDS", "КОМАНДЫ");
    app.get_formatter()->label("REQUIRED", "обязательно");
    app.get_formatter()->label("Positionals", "Аргументы");
    app.get_formatter()->label("TEXT", "ТЕКСТ");
    app.get_formatter()->label("INT", "ЧИСЛО");
    app.get_formatter()->label("FLOAT", "ЧИСЛО");
    app.option_defaults()->group("Параметры");
    app.set_help_flag("-h,--help", "Показать эту справку");
    app.set_version_flag("--version", std::string("korvan ") + KORVAN_VERSION_TEXT, "Показать версию");
    app.require_subcommand(1);
    // The port options may stand before or after the command.
    app.fallthrough(true);
    app.footer("Коды выхода: 0 готово; 1 ошибка в командной строке; 2 порта нет, он занят или нет прав;\n"
               "3 прибор не отвечает; 4 отказ (неверный пароль, ответ с ошибкой); 5 файл не записан;\n"
               "130 прервано.");

    PortOptions o;
    app.add_option("--device-port", o.devicePort, "Номер COM-порта прибора (иначе из настроек программы)")
        ->type_name("N")->check(WholeNumberIn(0, 255));
    app.add_option("--hart-port", o.hartPort, "Номер COM-порта HART-модема")->type_name("N")->check(WholeNumberIn(0, 255));
    app.add_option("--mg-port", o.mgPort, "Номер COM-порта мультигаза")->type_name("N")->check(WholeNumberIn(0, 255));
    app.add_option("--mg-count", o.mgCount, "Число наборов мультигаза")->type_name("N")->check(WholeNumberIn(1, 247));

    auto group = [](CLI::App* sub) {
        sub->group("Команды");
        sub->set_help_flag("-h,--help", "Показать справку по команде");
        return sub;
    };
    CLI::App* ports = group(app.add_subcommand("ports", "Заданные COM-порты, куда они ведут, и найденные порты"));
    bool infoJson = false;
    CLI::App* info = group(app.add_subcommand("info", "Подключиться и показать данные датчика, прибора и HART"));
    info->add_flag("--json", infoJson, "Вывод в JSON");
    std::string journalWhich;
    std::string journalFile;
    CLI::App* journal = group(app.add_subcommand("journal", "Прочитать журнал прибора в файл CSV"));
    journal->add_option("journal", journalWhich, "events — журнал событий, thresholds — журнал порогов")
        ->required()
        ->check(OneOf({"events", "thresholds"}));
    journal->add_option("-o,--output", journalFile, "Файл CSV")->required();
    std::string sendText;
    CLI::App* send = group(app.add_subcommand("send", "Отправить команду терминала и показать ответ"));
    send->add_option("text", sendText, "Команда, например @RRSS")->required();
    int readCode = -1;
    CLI::App* read = group(app.add_subcommand("read", "Перечитать параметр датчика по коду"));
    read->add_option("code", readCode, "Код чтения")->required();
    int writeCode = -1;
    std::vector<std::string> writeValues;
    CLI::App* write = group(app.add_subcommand("write", "Записать параметр датчика по коду"));
    write->add_option("code", writeCode, "Код записи")->required();
    write->add_option("values", writeValues, "Значения (до пяти)")->required();
    write->add_option("--password-file", o.passwordFile, "Файл с паролем (первая строка); иначе из настроек программы");
    CLI::App* hart = group(app.add_subcommand("hart", "Команды HART"));
    hart->require_subcommand(1);
    hart->fallthrough(true);
    bool hartJson = false;
    CLI::App* hartInfo = group(hart->add_subcommand("info", "Найти HART-устройство и показать его данные"));
    hartInfo->add_flag("--json", hartJson, "Вывод в JSON");
    float loopCurrent = 0.0f;
    CLI::App* loop = group(hart->add_subcommand("loop-current",
                                                "Зафиксировать ток петли до Enter, Ctrl-C или SIGTERM и отпустить его"));
    loop->add_option("ma", loopCurrent, "Ток, мА (3,5 … 23)")->required();
    PollOptions pollOptions;
    CLI::App* poll = group(app.add_subcommand(
        "poll", "Опрос датчика, как на странице калибровки: точка на строку, по желанию в файл измерений"));
    poll->add_option("--period", pollOptions.periodMs, "Период опроса, мс (100 … 3600000; по умолчанию 500)")
        ->type_name("N")
        ->check(WholeNumberIn(kMinPollPeriodMs, kMaxPollPeriodMs));
    CLI::Option* pollCount = poll->add_option("--count", pollOptions.count, "Сколько точек снять")
                                 ->type_name("N")
                                 ->check(WholeNumberIn(1, INT_MAX));
    CLI::Option* pollDuration =
        poll->add_option("--duration", pollOptions.durationS, "Сколько секунд опрашивать (до 30 суток)")
            ->type_name("N")
            ->check(WholeNumberIn(1, kMaxPollDurationS));
    poll->add_option("--read", pollOptions.reads,
                     "Что читать, через запятую (по умолчанию conc): " + PollReadNames())
        ->type_name("conc,adc");
    poll->add_option("-o,--output", pollOptions.file, "Файл измерений CSV, как его пишет страница калибровки");
    poll->footer("Без --count и --duration опрос идёт до Enter, Ctrl-C или SIGTERM.\n"
                 "Строка на точку: время и выбранные значения через «;», как в файле измерений.");
    std::string reportFolder;
    CLI::App* report = group(app.add_subcommand("report", "Сервисный отчёт: данные, журналы, обмен, сводка"));
    report->add_option("-o,--output", reportFolder, "Папка отчёта")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "korvan: ошибка в командной строке: " << UsageErrorText(e, app.remaining(true))
                  << "\nСправка: korvan --help\n";
        return kExitUsage;
    }

    try {
        if (*ports)
            return CmdPorts(o);
        if (*info)
            return CmdInfo(o, infoJson);
        if (*journal)
            return CmdJournal(o, journalWhich, journalFile);
        if (*send)
            return CmdSend(o, sendText);
        if (*read)
            return CmdRead(o, readCode);
        if (*write)
            return CmdWrite(o, writeCode, writeValues);
        if (*hartInfo)
            return CmdHartInfo(o, hartJson);
        if (*loop)
            return CmdLoopCurrent(o, loopCurrent);
        if (*poll) {
            if (pollCount->count() > 0 && pollDuration->count() > 0) {
                Say("ошибка в командной строке: --count и --duration вместе не задаются\nСправка: korvan poll --help");
                return kExitUsage;
            }
            return CmdPoll(o, pollOptions);
        }
        if (*report)
            return CmdReport(o, reportFolder);
    } catch (const std::exception& e) {
        Say(std::string("внутренняя ошибка: ") + e.what());
        return kExitSilent;
    }
    return kExitUsage;
}

} // namespace KorvanCli
