#include "LineLink.h"

#include "ComPortPath.h"

namespace {

// The name the engineer knows the port by: the device behind the program's
// link (/dev/ttyUSB0, /dev/pts/3) or the Windows name (COM5).
std::string PortDisplayName(int portNumber)
{
    if (portNumber < 1)
        return {};
    const std::string target = ComPortTarget(portNumber);
    return target.empty() ? "COM" + std::to_string(portNumber) : target;
}

} // namespace

void LineLink::Reset(int portNumber)
{
    portNumber_ = portNumber;
    portPath_ = portNumber >= 1 ? ComPortPath(portNumber) : std::string();
    silentCycles_ = 0;
    std::lock_guard<std::mutex> lock(mutex_);
    report_ = LineLinkReport{};
    report_.port = PortDisplayName(portNumber);
}

LineLink::Verdict LineLink::AfterCycle(std::uint64_t exchanges, std::uint64_t answers, bool portFailed)
{
    using Cause = LineLinkReport::Cause;
    const bool lost = Lost();
    if (portFailed) {
        silentCycles_ = 0;
        if (lost)
            return Verdict::Lost;
        SetLost(ComPathPresent(portPath_) ? Cause::PortFailed : Cause::PortMissing);
        return Verdict::Lost;
    }
    if (answers > 0) {
        silentCycles_ = 0;
        if (!lost)
            return Verdict::Go;
        std::lock_guard<std::mutex> lock(mutex_);
        report_.lost = false;
        report_.restored = true;
        report_.cause = Cause::None;
        report_.text = Text(line_, report_);
        return Verdict::Restored;
    }
    // A cycle that asked nothing (the device's address unknown) says
    // nothing about the line.
    if (exchanges == 0)
        return lost ? Verdict::Lost : Verdict::Go;
    if (lost)
        return Verdict::Lost;
    if (++silentCycles_ < kSilentCyclesForLoss)
        return Verdict::Go;
    silentCycles_ = 0;
    SetLost(Cause::Silent);
    return Verdict::Lost;
}

LineLink::CycleMark LineLink::Mark(LineWatch& watch)
{
    // A failure before this cycle has been judged already.
    (void)watch.TakeLineFailure();
    return {watch.Exchanges(), watch.Answers()};
}

bool LineLink::MustWait(const CycleMark& mark, LineWatch& watch, const std::function<void()>& notify)
{
    const bool wasLost = Lost();
    const bool portFailed = watch.TakeLineFailure();
    const std::uint64_t exchanges = watch.Exchanges() - mark.exchanges;
    const Verdict verdict = AfterCycle(exchanges, watch.Answers() - mark.answers, portFailed);
    if (verdict == Verdict::Go)
        return false;
    if (verdict == Verdict::Restored) {
        notify();
        return false;
    }
    // The port opened again but the device still says nothing.
    const bool recaused = wasLost && !portFailed && exchanges > 0 && Recause(LineLinkReport::Cause::Silent);
    if (!wasLost || recaused)
        notify();
    return true;
}

bool LineLink::Lost() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return report_.lost;
}

void LineLink::SetLost(LineLinkReport::Cause cause)
{
    std::lock_guard<std::mutex> lock(mutex_);
    report_.lost = true;
    report_.restored = false;
    report_.cause = cause;
    report_.text = Text(line_, report_);
}

bool LineLink::Recause(LineLinkReport::Cause cause)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!report_.lost || report_.cause == cause)
        return false;
    report_.cause = cause;
    report_.text = Text(line_, report_);
    return true;
}

LineLinkReport LineLink::Report() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return report_;
}

std::string LineLink::Text(Line line, const LineLinkReport& r)
{
    using Cause = LineLinkReport::Cause;
    const bool hart = line == Line::Hart;
    if (!r.lost)
        return r.restored ? (hart ? "Связь с HART-устройством восстановлена." : "Связь с прибором восстановлена.")
                          : std::string();
    std::string why;
    switch (r.cause) {
    case Cause::PortMissing:
        why = "порт " + r.port + " отсутствует";
        break;
    case Cause::PortFailed:
        why = "ошибка порта " + r.port;
        break;
    case Cause::Silent:
    case Cause::None:
        why = hart ? "устройство не отвечает" : "прибор не отвечает";
        break;
    }
    return std::string(hart ? "Связь с HART-устройством потеряна (" : "Связь с прибором потеряна (") + why +
           "). Ожидание подключения...";
}
