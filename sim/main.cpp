// detector-sim: serves the simulated detector, HART device and multigas rack
// on pseudo-terminals linked as COM numbers, until SIGINT or SIGTERM. SIGUSR1
// and commands on standard input pull the lines out, put them back, and make
// the devices silent or answer garbage, for trials of a tool losing its line.

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include "SimText.h"
#include "Simulator.h"

namespace {

void Usage(std::ostream& out)
{
    out << "Usage: detector-sim [options]\n"
           "Serves a simulated gas detector on pseudo-terminals linked as COM ports.\n"
           "\n"
           "  --ports-dir DIR       folder of the comN links (default $XDG_CONFIG_HOME/Korvan/ports,\n"
           "                        else ~/.config/Korvan/ports)\n"
           "  --device-port N       COM number of the device line (default 1)\n"
           "  --hart-port N         COM number of the HART modem line (default 2)\n"
           "  --multigas-port N     COM number of the multigas set switches (default 3)\n"
           "  --scenario FILE       scenario file (default: the built-in scenario)\n"
           "  --pace                send answers at the line's baud rate\n"
           "  --answer-delay MS     reaction time before every answer (default 0)\n"
           "  --fault TARGET=FAULT   arm a fault on the device line, e.g. '@RRIS=late 1500',\n"
           "                        'F4:2048=exception 11', '*=garbage'; may be repeated\n"
           "  --record FILE         write every request and answer to FILE, one line each\n"
           "                        (time, line, -> or <-, the text or the bytes in hex)\n"
           "  --help                show this text\n"
           "\n"
           "While serving:\n"
           "  kill -USR1 PID        unplugs every line (the tool holding a port sees a hang-up,\n"
           "                        the comN links go); the next SIGUSR1 plugs them back in\n"
           "                        under the same COM numbers, the devices' state kept\n"
           "  commands on standard input, one a line:\n"
           "    unplug, replug      the same, one way each\n"
           "    silent on|off       the devices take every request and answer none\n"
           "    garbage on|off      every answer replaced by the bytes 00 FF 23 7E\n"
           "  (end of standard input, as from /dev/null, leaves the simulator serving)\n";
}

using Line = Simulator::Line;
constexpr Line kLines[] = {Line::Device, Line::Hart, Line::Multigas};

// "COM1, COM2, COM3": the lines served.
std::string ServedPorts(const Simulator& sim)
{
    std::string out;
    for (Line l : kLines) {
        if (!sim.Served(l))
            continue;
        if (!out.empty())
            out += ", ";
        out += "COM" + std::to_string(sim.PortNumber(l));
    }
    return out;
}

bool AnyPlugged(const Simulator& sim)
{
    for (Line l : kLines)
        if (sim.Plugged(l))
            return true;
    return false;
}

void UnplugLines(Simulator& sim)
{
    if (!AnyPlugged(sim)) {
        std::cout << "Lines already unplugged." << std::endl;
        return;
    }
    sim.UnplugAll();
    std::cout << "Lines unplugged (" << ServedPorts(sim) << ")." << std::endl;
}

void ReplugLines(Simulator& sim)
{
    bool allIn = true;
    for (Line l : kLines)
        allIn = allIn && (!sim.Served(l) || sim.Plugged(l));
    if (allIn) {
        std::cout << "Lines already plugged in." << std::endl;
        return;
    }
    try {
        sim.ReplugAll();
    } catch (const std::exception& e) {
        // The simulator serves on with what it could plug back in.
        std::cerr << "detector-sim: cannot plug a line back in: " << e.what() << std::endl;
    }
    std::string on;
    for (Line l : kLines)
        if (sim.Plugged(l))
            on += (on.empty() ? "COM" : ", COM") + std::to_string(sim.PortNumber(l));
    if (!on.empty())
        std::cout << "Lines back on " << on << "." << std::endl;
}

// One command line from standard input; false for an unknown one.
bool Command(Simulator& sim, const std::string& text)
{
    std::istringstream in(text);
    std::string word, state, extra;
    in >> word >> state >> extra;
    word = SimText::ToLower(word);
    state = SimText::ToLower(state);
    if (word.empty())
        return true;
    if (!extra.empty())
        return false;
    if ((word == "unplug" || word == "replug") && state.empty()) {
        if (word == "unplug")
            UnplugLines(sim);
        else
            ReplugLines(sim);
        return true;
    }
    if ((word == "silent" || word == "garbage") && (state == "on" || state == "off")) {
        const bool on = state == "on";
        for (Line l : kLines)
            if (sim.Served(l))
                word == "silent" ? sim.SetSilent(l, on) : sim.SetGarbage(l, on);
        if (word == "silent")
            std::cout << (on ? "Devices silent: requests are taken, none is answered." : "Devices answer again.")
                      << std::endl;
        else
            std::cout << (on ? "Every answer replaced by garbage (00 FF 23 7E)." : "Answers without garbage again.")
                      << std::endl;
        return true;
    }
    return false;
}

// Serves until SIGINT or SIGTERM, taking SIGUSR1 and the commands on
// standard input meanwhile. `signals` are blocked in every thread.
void Serve(Simulator& sim, const sigset_t& signals)
{
    const int sigFd = ::signalfd(-1, &signals, SFD_CLOEXEC);
    if (sigFd < 0) {
        // Signals only, then.
        for (int sig = 0; ::sigwait(&signals, &sig) == 0 && sig == SIGUSR1;)
            AnyPlugged(sim) ? UnplugLines(sim) : ReplugLines(sim);
        return;
    }
    // A simulator started in the background of a shell must not be stopped
    // for reading the terminal: the read fails instead, and standard input
    // is left alone from then on.
    ::signal(SIGTTIN, SIG_IGN);
    bool readStdin = true;
    std::string pending;
    for (;;) {
        pollfd fds[2] = {{sigFd, POLLIN, 0}, {readStdin ? STDIN_FILENO : -1, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            signalfd_siginfo info{};
            if (::read(sigFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
                if (info.ssi_signo != SIGUSR1)
                    break;
                if (AnyPlugged(sim))
                    UnplugLines(sim);
                else
                    ReplugLines(sim);
            }
        }
        if (readStdin && (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            char buf[512];
            const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            if (n <= 0) {
                // End of input (or /dev/null): serve on without it.
                readStdin = false;
                continue;
            }
            pending.append(buf, static_cast<std::size_t>(n));
            for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
                std::string text = pending.substr(0, end);
                pending.erase(0, end + 1);
                if (!text.empty() && text.back() == '\r')
                    text.pop_back();
                if (!Command(sim, text))
                    std::cerr << "detector-sim: unknown command \"" << text
                              << "\" (unplug, replug, silent on|off, garbage on|off)" << std::endl;
            }
            if (pending.size() > 1024)
                pending.clear();  // no command is that long
        }
    }
    ::close(sigFd);
}

bool PortNumber(const std::string& text, int& out)
{
    long long v = 0;
    if (!SimText::ParseInt(text, v) || v < 1 || v > 255)
        return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    Simulator::Options options;
    options.devicePort = 1;
    options.hartPort = 2;
    options.multigasPort = 3;
    std::vector<std::string> faults;
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                std::cerr << "detector-sim: " << a << " needs a value\n";
                std::exit(2);
            }
            out = args[++i];
        };
        auto port = [&](std::optional<int>& out) {
            std::string v;
            value(v);
            int n = 0;
            if (!PortNumber(v, n)) {
                std::cerr << "detector-sim: " << a << ": bad COM number \"" << v << "\" (1 to 255)\n";
                std::exit(2);
            }
            out = n;
        };
        if (a == "--help" || a == "-h") {
            Usage(std::cout);
            return 0;
        } else if (a == "--ports-dir") {
            value(options.portsFolder);
        } else if (a == "--device-port") {
            port(options.devicePort);
        } else if (a == "--hart-port") {
            port(options.hartPort);
        } else if (a == "--multigas-port") {
            port(options.multigasPort);
        } else if (a == "--scenario") {
            value(options.scenarioFile);
        } else if (a == "--record") {
            value(options.recordFile);
        } else if (a == "--pace") {
            options.pace = true;
        } else if (a == "--answer-delay") {
            std::string v;
            value(v);
            long long ms = 0;
            if (!SimText::ParseInt(v, ms) || ms < 0 || ms > 600000) {
                std::cerr << "detector-sim: --answer-delay: bad delay \"" << v << "\"\n";
                return 2;
            }
            options.answerDelayMs = static_cast<unsigned>(ms);
        } else if (a == "--fault") {
            std::string v;
            value(v);
            faults.push_back(v);
        } else {
            std::cerr << "detector-sim: unknown option \"" << a << "\"\n";
            Usage(std::cerr);
            return 2;
        }
    }
    const std::optional<int>* ports[] = {&options.devicePort, &options.hartPort, &options.multigasPort};
    for (int i = 0; i < 3; ++i)
        for (int j = i + 1; j < 3; ++j)
            if (**ports[i] == **ports[j]) {
                std::cerr << "detector-sim: two lines on COM" << **ports[i] << "\n";
                return 2;
            }

    // The lines' threads inherit this mask, so the signals reach Serve.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    try {
        Simulator sim(options);
        for (const std::string& f : faults) {
            const std::size_t eq = f.find('=');
            const std::string error = eq == std::string::npos ? "expected TARGET=FAULT" : sim.ArmFault(f.substr(0, eq), f.substr(eq + 1));
            if (!error.empty()) {
                std::cerr << "detector-sim: --fault " << f << ": " << error << "\n";
                return 2;
            }
        }
        for (const std::string& n : sim.Notes())
            std::cerr << "detector-sim: " << n << "\n";
        sim.Start();
        const auto& d = sim.Detector();
        std::cout << "COM" << *options.devicePort << "  device line (9600 8N1): " << sim.DevicePty() << " <- "
                  << sim.DeviceLink() << "\n"
                  << "      sensor " << d.SensorType() << ", Modbus unit " << int(d.UnitAddress()) << "\n";
        if (sim.HartLine() != nullptr)
            std::cout << "COM" << *options.hartPort << "  HART line (1200 8O1):   " << sim.HartPty() << " <- "
                      << sim.HartLink() << "\n";
        else
            std::cout << "COM" << *options.hartPort << "  HART line: not served (this build has no HART device)\n";
        std::cout << "COM" << *options.multigasPort << "  multigas line (9600 8N1): " << sim.MultigasPty() << " <- "
                  << sim.MultigasLink() << "\n"
                  << "      " << sim.Multigas().SetCount() << " sets, unit addresses 1 to " << sim.Multigas().SetCount()
                  << "\n";
        if (options.pace)
            std::cout << "Answers paced at the line rate.\n";
        if (!options.recordFile.empty())
            std::cout << "Requests and answers recorded in " << options.recordFile << ".\n";
        std::cout << "SIGUSR1 unplugs and replugs the lines; commands on standard input: unplug, replug,\n"
                     "silent on|off, garbage on|off.\n"
                  << "Serving; stop with Ctrl+C." << std::endl;
        Serve(sim, signals);
        std::cout << "Stopping." << std::endl;
    } catch (const std::exception& e) {
        std::cerr << "detector-sim: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
